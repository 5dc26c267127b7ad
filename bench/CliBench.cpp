// tq37r-cli against the simulator: the median wall time of `read` and `backup`, each process
// from spawn to exit, set against the protocol floor at the line rate. A read's floor is the
// first request on the line, the controller's pause before it takes the second (the first
// answer travels meanwhile), then the second request and its answer; a backup first asks for
// the firmware, whose acknowledgement and version come back before the read starts.
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

#include "device/BaudTable.h"
#include "device/Codes.h"
#include "device/ControllerLink.h"
#include "device/Reply.h"
#include "device/Requests.h"
#include "protocol/Frame.h"
#include "protocol/FrameIo.h"
#include "protocol/LineTime.h"

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 9;
constexpr const char* kDoNothing = "--exit-at-once";

std::size_t frameBytes(std::size_t payloadSize) {
    return tq37r::frame::totalSize(tq37r::frame::lengthForPayload(payloadSize));
}
std::size_t requestBytes(const tq37r::Request& request) {
    return frameBytes(request.payloadSize);
}
std::size_t replyBytes(std::uint8_t replyCode) {
    return frameBytes(tq37r::replyPayloadSize(replyCode));
}

double lineMs(std::size_t bytes, unsigned baud) {
    return static_cast<double>(bytes * tq37r::kLineBitsPerByte) * 1000 / baud;
}

double readFloorMs(unsigned baud) {
    using namespace tq37r;
    const double pauseMs = std::chrono::duration<double, std::milli>(request::kReadPairPause).count();
    return lineMs(requestBytes(request::readGainBlock(GainBlock::First)), baud) + pauseMs +
           lineMs(requestBytes(request::readGainBlock(GainBlock::Second)) + replyBytes(code::kGainBlock2),
                  baud);
}

double backupFloorMs(unsigned baud) {
    using namespace tq37r;
    const std::size_t firmware = requestBytes(request::firmwareVersion()) +
                                 replyBytes(code::kAcknowledgement) + replyBytes(code::kFirmwareVersion);
    return lineMs(firmware, baud) + readFloorMs(baud);
}

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

// Milliseconds from spawn to exit; negative when the run failed.
double runMs(const std::vector<std::string>& args) {
    const auto start = Clock::now();
    const pid_t pid = spawn(args, true);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The medians of the commands, run in turn kRuns times, so that each sees the same load;
// empty when a run failed.
std::vector<double> medianMs(const std::vector<std::vector<std::string>>& commands) {
    std::vector<std::vector<double>> times(commands.size());
    for (int i = 0; i < kRuns; ++i) {
        for (std::size_t c = 0; c < commands.size(); ++c) {
            const double ms = runMs(commands[c]);
            if (ms < 0) {
                return {};
            }
            times[c].push_back(ms);
        }
    }
    std::vector<double> medians;
    for (std::vector<double>& t : times) {
        std::sort(t.begin(), t.end());
        medians.push_back(t[t.size() / 2]);
    }
    return medians;
}

void show(const char* what, unsigned baud, double ms, double floorMs) {
    std::printf("tq37r-cli %s at %u baud %.1f ms / protocol floor %.1f ms = %.2f (lower is better, 1 is the "
                "floor)\n",
                what, baud, ms, floorMs, ms / floorMs);
}

pid_t startSim(const std::string& sim, const fs::path& dir, const std::string& port, unsigned baud) {
    const pid_t pid = spawn({sim, "--port", port, "--baud", std::to_string(baud), "--report-ms", "0"}, true);
    for (int i = 0; i < 500 && !fs::is_symlink(dir / port); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return pid;
}

// detect over COM1, a controller at 300 baud that no rate of the table reaches, and COM2, one at
// 57600: every rate of COM1 and the fastest of COM2 wait their whole time-out, then one first
// gain read at 57600 answers.
int detectAgainstItsFloor(const std::string& sim, const std::string& cli, const fs::path& dir) {
    using namespace tq37r;
    constexpr unsigned kTimeoutMs = 200;
    const pid_t deaf = startSim(sim, dir, "COM1", 300);
    const pid_t found = startSim(sim, dir, "COM2", 57600);
    const std::vector<double> ms =
        medianMs({{cli, "--timeout", std::to_string(kTimeoutMs), "detect", "--ports", "COM1,COM2"}});
    for (const pid_t pid : {deaf, found}) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    if (ms.size() != 1) {
        std::fprintf(stderr, "detect failed\n");
        return 1;
    }
    const std::size_t misses = kBaudTable.size() + 1;
    const double floorMs = static_cast<double>(misses * kTimeoutMs) +
                           lineMs(requestBytes(request::readGainBlock(GainBlock::First)) +
                                      replyBytes(code::kGainBlock1),
                                  57600);
    std::printf("tq37r-cli detect, 2 ports, %zu misses of %u ms and a hit at 57600 baud %.1f ms / floor %.1f ms "
                "= %.2f (lower is better, 1 is the floor)\n",
                misses, kTimeoutMs, ms[0], floorMs, ms[0] / floorMs);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // The yardstick for start-up: this program, spawned to do nothing.
    if (argc == 2 && std::string(argv[1]) == kDoNothing) {
        return 0;
    }
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

    std::printf("tq37r-cli, median of %d runs each, the runs of a comparison taken in turn; the simulator "
                "sends its state reports every 500 ms, and its pty takes the tool's requests at once, so a "
                "run may beat the floor by the requests' line time\n",
                kRuns);
    int status = 0;
    if (const std::vector<double> startUp = medianMs({{cli, "--help"}, {argv[0], kDoNothing}});
        startUp.size() == 2) {
        std::printf("tq37r-cli --help %.1f ms / a C++ program that does nothing %.1f ms = %.1f (lower is "
                    "better: start-up and exit of the tool over the least a process costs)\n",
                    startUp[0], startUp[1], startUp[0] / startUp[1]);
    } else {
        std::fprintf(stderr, "tq37r-cli --help failed\n");
        status = 1;
    }
    for (const unsigned baud : {19200u, 115200u}) {
        const pid_t simPid = spawn({sim, "--port", "COM1", "--baud", std::to_string(baud)}, true);
        for (int i = 0; i < 500 && !fs::is_symlink(dir / "COM1"); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        const std::string rate = std::to_string(baud);
        const std::vector<double> ms =
            medianMs({{cli, "--baud", rate, "read"}, {cli, "--baud", rate, "backup", file}});
        kill(simPid, SIGTERM);
        waitpid(simPid, nullptr, 0);
        if (ms.size() != 2) {
            std::fprintf(stderr, "a run against the simulator at %u baud failed\n", baud);
            status = 1;
            continue;
        }
        show("read", baud, ms[0], readFloorMs(baud));
        show("backup", baud, ms[1], backupFloorMs(baud));
    }
    status |= detectAgainstItsFloor(sim, cli, dir);
    fs::remove_all(dir);
    return status;
}
