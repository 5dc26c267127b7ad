// Start-up of the tool against a bare Qt dialog, both offscreen: the time from spawning each
// program until it reports its first window exposed, and its three parts as the program stamps
// them (shown by the probe linked into both): the process start (exec, loading and setting up
// the libraries), Qt's start (from there to the application object made, the tool's own
// arguments included) and the window's own work (from there to its first expose). Runs the two
// alternately so that both see the same machine load, and prints the medians and their ratios.
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

#include "bench/ProcessTiming.h"

extern char** environ;

namespace {

using tq37r::bench::median;

using Clock = std::chrono::steady_clock;

// Milliseconds of each part of a start-up, and of the whole.
struct StartUp {
    double process = 0;
    double qt = 0;
    double window = 0;
    double whole = 0;
};

// The nanoseconds the probe stamped `what` with in `seen`; nullopt when it did not.
std::optional<long long> stampOf(const std::string& seen, const std::string& what) {
    const std::size_t at = seen.find(what + " ");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    return std::atoll(seen.c_str() + at + what.size() + 1);
}

// The parts from the probe's stamps, counted from `spawned` (nanoseconds of the same clock).
std::optional<StartUp> partsOf(const std::string& seen, long long spawned) {
    const auto loaded = stampOf(seen, "loaded");
    const auto app = stampOf(seen, "app");
    const auto shown = stampOf(seen, "shown");
    if (!loaded || !app || !shown) {
        return std::nullopt;
    }
    const auto ms = [](long long from, long long to) { return static_cast<double>(to - from) / 1e6; };
    return StartUp{ms(spawned, *loaded), ms(*loaded, *app), ms(*app, *shown), ms(spawned, *shown)};
}

// The start-up of `program` until its window is shown, or nullopt when it failed.
std::optional<StartUp> timeToShown(const char* program) {
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
    const long long spawned =
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
    const int rc = posix_spawn(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return std::nullopt;
    }
    std::string seen;
    std::optional<StartUp> result;
    pollfd p{out[0], POLLIN, 0};
    while (poll(&p, 1, 10000) > 0) {
        char chunk[64];
        const ssize_t n = read(out[0], chunk, sizeof chunk);
        if (n <= 0) {
            break;
        }
        seen.append(chunk, static_cast<std::size_t>(n));
        if (seen.find('\n', seen.find("shown ")) != std::string::npos) {
            result = partsOf(seen, spawned);
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
    std::vector<StartUp> tool;
    std::vector<StartUp> bare;
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
    const auto medianOf = [](const std::vector<StartUp>& runs, double StartUp::*part) {
        std::vector<double> values;
        for (const StartUp& run : runs) {
            values.push_back(run.*part);
        }
        return median(std::move(values));
    };
    const double toolMs = medianOf(tool, &StartUp::whole);
    const double bareMs = medianOf(bare, &StartUp::whole);
    std::printf("start-up to the window shown, offscreen, median of %d taken in turn: tool %.1f ms / bare Qt "
                "dialog %.1f ms = %.2f (lower is better; 1: the tool starts as fast as a bare dialog)\n",
                runs, toolMs, bareMs, toolMs / bareMs);
    std::printf("its parts, each a median, tool / bare dialog (lower is better):\n");
    const struct {
        const char* name;
        double StartUp::*part;
    } parts[] = {{"process start: exec, loading and setting up the libraries", &StartUp::process},
                 {"Qt's start: to the application object made", &StartUp::qt},
                 {"the window's own work: to its first expose", &StartUp::window}};
    for (const auto& [name, part] : parts) {
        const double t = medianOf(tool, part);
        const double b = medianOf(bare, part);
        std::printf("  %-60s %6.1f ms / %6.1f ms = %.2f\n", name, t, b, t / b);
    }
    return 0;
}
