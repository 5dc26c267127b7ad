#include "SimProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tq37r::testing {

SimProcess::SimProcess(const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out_ = fds[0];
    if (rc != 0) {
        ::close(out_);
        throw std::runtime_error("cannot start " + args[0]);
    }
    ::fcntl(out_, F_SETFL, O_NONBLOCK);
}

SimProcess::~SimProcess() {
    if (!exited_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(out_);
}

std::string SimProcess::drainOutput(std::chrono::milliseconds timeout) {
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) > 0) {
        char chunk[4096];
        const ssize_t n = ::read(out_, chunk, sizeof chunk);
        if (n > 0) {
            buffered_.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0) {
            return "eof";
        }
    }
    return "";
}

std::string SimProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (buffered_.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || drainOutput(left) == "eof") {
            return "";
        }
    }
    const std::size_t end = buffered_.find('\n');
    std::string line = buffered_.substr(0, end);
    buffered_.erase(0, end + 1);
    return line;
}

void SimProcess::signal(int signo) const {
    ::kill(pid_, signo);
}

std::optional<int> SimProcess::waitExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!exited_) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (exitCode_ < 0) {
        return std::nullopt;
    }
    return exitCode_;
}

std::map<std::string, std::uint64_t> SimProcess::stats() {
    for (int i = 0; i < 100 && drainOutput(std::chrono::milliseconds(100)) != "eof"; ++i) {
    }
    std::map<std::string, std::uint64_t> counters;
    std::istringstream in(buffered_);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t space = line.rfind(' ');
        if (space != std::string::npos) {
            counters[line.substr(0, space)] = std::stoull(line.substr(space + 1));
        }
    }
    return counters;
}

int openRawLine(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    ::tcflush(fd, TCIOFLUSH);
    return fd;
}

} // namespace tq37r::testing
