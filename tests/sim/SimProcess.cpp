#include "SimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tq37r::testing {

using Clock = std::chrono::steady_clock;

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
}

SimProcess::~SimProcess() {
    if (!waitStatus_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(out_);
}

std::string SimProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::string line;
    // A byte at a time, so nothing after the newline is taken from the pipe.
    for (char c = 0;; line += c) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{out_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0 ||
            ::read(out_, &c, 1) != 1) {
            return "";
        }
        if (c == '\n') {
            return line;
        }
    }
}

std::optional<int> SimProcess::waitExit(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    int status = 0;
    while (!waitStatus_) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            waitStatus_ = status;
        } else if (Clock::now() >= deadline) {
            return std::nullopt;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return WIFEXITED(*waitStatus_) ? std::optional<int>(WEXITSTATUS(*waitStatus_)) : std::nullopt;
}

} // namespace tq37r::testing
