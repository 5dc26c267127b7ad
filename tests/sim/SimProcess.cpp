#include "SimProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tq37r::testing {

using Clock = std::chrono::steady_clock;

SimProcess::SimProcess(const std::vector<std::string>& args, const std::string& errorFile) {
    std::vector<char*> argv(args.size() + 1, nullptr);
    std::transform(args.begin(), args.end(), argv.begin(),
                   [](const std::string& a) { return const_cast<char*>(a.c_str()); });
    int fds[2] = {-1, -1};
    const bool piped = ::pipe2(fds, O_CLOEXEC) == 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    if (!errorFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    const bool started = piped && posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out_ = fds[0];
    if (!started) {
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
    for (char c = 0; c != '\n'; line += c) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{out_, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0 || ::read(out_, &c, 1) != 1) {
            return "";
        }
    }
    line.pop_back(); // the newline
    return line;
}

std::optional<int> SimProcess::waitExit(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (int status = 0; !waitStatus_; ::poll(nullptr, 0, 5)) { // a 5 ms pause between looks
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            waitStatus_ = status;
        } else if (Clock::now() >= deadline) {
            return std::nullopt;
        }
    }
    return WIFEXITED(*waitStatus_) ? std::optional<int>(WEXITSTATUS(*waitStatus_)) : std::nullopt;
}

std::string SimProcess::stop() {
    signal(SIGTERM);
    EXPECT_EQ(waitExit(std::chrono::seconds(5)), 0);
    std::string lines;
    for (std::string line = readLine(std::chrono::seconds(1)); !line.empty();
         line = readLine(std::chrono::seconds(1))) {
        lines += line + "\n";
    }
    return lines;
}

} // namespace tq37r::testing
