#include "CliProcess.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tq37r::testing {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

CliProcess::CliProcess(const std::vector<std::string>& args) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(TQ37R_CLI_PATH)};
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
    if (rc != 0) {
        throw std::runtime_error("cannot start tq37r-cli");
    }
}

CliProcess::~CliProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(out_);
    ::close(err_);
}

bool CliProcess::pump(std::chrono::milliseconds timeout) {
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    std::string* sinks[2] = {&result_.out, &result_.err};
    if (fds[0].fd < 0 && fds[1].fd < 0) {
        return false;
    }
    if (::poll(fds, 2, static_cast<int>(timeout.count())) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            char chunk[4096];
            const ssize_t n = ::read(fds[i].fd, chunk, sizeof chunk);
            if (n > 0) {
                sinks[i]->append(chunk, static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                (i == 0 ? out_ : err_) = -1;
            }
        }
    }
    return true;
}

bool CliProcess::waitForOutput(std::string_view text, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (result_.out.find(text) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= 0ms || !pump(left)) {
            return false;
        }
    }
    return true;
}

void CliProcess::signal(int signo) const {
    ::kill(pid_, signo);
}

CliResult CliProcess::finish(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline &&
           pump(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()))) {
    }
    if (out_ >= 0 || err_ >= 0) {
        ::kill(pid_, SIGKILL); // still running: the test reports status -1
    }
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    result_.status = WIFEXITED(status) && (out_ < 0 && err_ < 0) ? WEXITSTATUS(status) : -1;
    return result_;
}

CliResult runCli(const std::vector<std::string>& args) {
    return CliProcess(args).finish(30s);
}

} // namespace tq37r::testing
