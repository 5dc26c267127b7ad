// Start-up of the tool against a bare Qt dialog, both offscreen: the time from spawning
// each program until it reports its first window exposed. Runs the two alternately so
// that both see the same machine load, and prints the medians and their ratio.
// Usage: startup_bench TOOL_PROBE BARE_PROBE [RUNS]
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds from spawn to the "shown" line, or nullopt when the program failed.
std::optional<double> timeToShown(const char* program) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    // Qt's offscreen platform chats on stderr; a probe that fails shows by never reporting.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(program), nullptr};
    pid_t pid = -1;
    const auto start = Clock::now();
    const int rc = posix_spawn(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return std::nullopt;
    }
    std::string seen;
    std::optional<double> result;
    pollfd p{out[0], POLLIN, 0};
    while (poll(&p, 1, 10000) > 0) {
        char chunk[64];
        const ssize_t n = read(out[0], chunk, sizeof chunk);
        if (n <= 0) {
            break;
        }
        seen.append(chunk, static_cast<std::size_t>(n));
        if (seen.find("shown\n") != std::string::npos) {
            result = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
    }
    close(out[0]);
    if (!result) {
        kill(pid, SIGKILL);
    }
    waitpid(pid, nullptr, 0);
    return result;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TOOL_PROBE BARE_PROBE [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 21;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // One untimed run each, so that neither pays alone for a cold page cache.
    timeToShown(argv[1]);
    timeToShown(argv[2]);
    std::vector<double> tool;
    std::vector<double> bare;
    for (int i = 0; i < runs; ++i) {
        const auto t = timeToShown(argv[1]);
        const auto b = timeToShown(argv[2]);
        if (!t || !b) {
            std::fprintf(stderr, "a probe did not show its window\n");
            return 1;
        }
        tool.push_back(*t);
        bare.push_back(*b);
    }
    const double toolMs = median(tool);
    const double bareMs = median(bare);
    std::printf("start-up to the window shown, offscreen, median of %d taken in turn: tool %.1f ms / bare Qt "
                "dialog %.1f ms = %.2f (lower is better; 1: the tool starts as fast as a bare dialog)\n",
                runs, toolMs, bareMs, toolMs / bareMs);
    return 0;
}
