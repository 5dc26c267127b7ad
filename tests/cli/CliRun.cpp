#include "CliRun.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tq37r::testing {

CliResult runCli(const std::vector<std::string>& args, std::string_view interruptOn) {
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
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    if (rc != 0) {
        throw std::runtime_error("cannot start tq37r-cli");
    }

    CliResult result;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    bool interrupted = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((fds[0].fd >= 0 || fds[1].fd >= 0) && std::chrono::steady_clock::now() < deadline) {
        if (::poll(fds, 2, 100) <= 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            char chunk[4096];
            const ssize_t n = fds[i].revents != 0 ? ::read(fds[i].fd, chunk, sizeof chunk) : -1;
            if (n > 0) {
                sinks[i]->append(chunk, static_cast<std::size_t>(n));
            } else if (fds[i].revents != 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1; // poll skips it from now on
            }
        }
        if (!interruptOn.empty() && !interrupted && result.out.find(interruptOn) != std::string::npos) {
            ::kill(pid, SIGINT);
            interrupted = true;
        }
    }
    const bool ended = fds[0].fd < 0 && fds[1].fd < 0;
    if (!ended) {
        ::kill(pid, SIGKILL);
        ::close(out[0]);
        ::close(err[0]);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.status = ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace tq37r::testing
