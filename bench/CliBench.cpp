// tq37r-cli against the simulator: the median wall time of `read` and `backup`, each process
// from spawn to exit, set against the protocol floor at the line rate: the bytes of the
// requests and answers on the line plus the controller's 100 ms between the two read halves.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 9;
// A read: two 6-byte requests, answers of 24 and 12 bytes.
constexpr double kReadBytes = 6 + 6 + 24 + 12;
// The firmware query 92 00 (7 bytes), its acknowledgement (7) and the version (8).
constexpr double kVersionBytes = 7 + 7 + 8;
constexpr double kReadPairGapMs = 100;

pid_t spawn(std::vector<std::string> args, bool quiet) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Median milliseconds of a run of the program to its exit; negative when a run failed.
double medianMs(const std::vector<std::string>& args) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = Clock::now();
        const pid_t pid = spawn(args, true);
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            return -1;
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double lineMs(double bytes, unsigned baud) {
    return bytes * 10 * 1000 / baud;
}

void show(const char* what, unsigned baud, double ms, double floorMs) {
    std::printf("%-7s %6u baud: median %6.1f ms, floor %6.1f ms, ratio %.2f\n", what, baud, ms, floorMs,
                ms / floorMs);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PATH-TO-tq37r-sim PATH-TO-tq37r-cli\n", argv[0]);
        return 2;
    }
    const std::string sim = argv[1];
    const std::string cli = argv[2];
    const fs::path dir = fs::temp_directory_path() / ("tq37r-cli-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    setenv("TQ37R_PORT_DIR", dir.c_str(), 1);
    const std::string file = (dir / "bench.gains").string();

    std::printf("tq37r-cli, median of %d runs each; the simulator sends its state reports every 500 ms\n",
                kRuns);
    const double startUp = medianMs({cli, "--help"});
    std::printf("start-up and exit of the program alone (--help): %.1f ms\n", startUp);
    int status = 0;
    for (const unsigned baud : {19200u, 115200u}) {
        const pid_t simPid = spawn({sim, "--port", "COM1", "--baud", std::to_string(baud)}, true);
        for (int i = 0; i < 500 && !fs::is_symlink(dir / "COM1"); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        const std::string rate = std::to_string(baud);
        const double readMs = medianMs({cli, "--baud", rate, "read"});
        const double backupMs = medianMs({cli, "--baud", rate, "backup", file});
        kill(simPid, SIGTERM);
        waitpid(simPid, nullptr, 0);
        if (readMs < 0 || backupMs < 0) {
            std::fprintf(stderr, "a run against the simulator at %u baud failed\n", baud);
            status = 1;
            continue;
        }
        show("read", baud, readMs, lineMs(kReadBytes, baud) + kReadPairGapMs);
        show("backup", baud, backupMs, lineMs(kReadBytes + kVersionBytes, baud) + kReadPairGapMs);
    }
    fs::remove_all(dir);
    return status;
}
