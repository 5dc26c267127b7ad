// The real window against tq37r-sim flooding the line with state reports at 115200 baud, in
// one run against two baselines, taken in turn over a few rounds so that all see the same load:
//  - CPU: the share of a core the window needs to keep up, against a thread that only reads
//    the same flood (blocked in poll(), no parsing);
//  - Set: from a click to its acknowledgement on screen, under the flood against a second,
//    quiet simulator.
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/QtBenchTools.h"
#include "qt/EventLoopPortWatcher.h"
#include "qt/ModalHooks.h"
#include "qt/ParamWindow.h"
#include "res/ControlIds.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

using tq37r::bench::cpuSeconds;
using tq37r::bench::runEventLoopFor;

constexpr int kRounds = 3;
constexpr int kSetsPerRound = 7;
constexpr auto kSettle = std::chrono::milliseconds(500);
constexpr auto kCpuSpell = std::chrono::milliseconds(1500);

pid_t startSimulator(const std::string& path, const fs::path& portDir, const std::string& portName,
                     bool flood) {
    std::vector<std::string> args{path, "--port", portName, "--baud", "115200", "--report-ms", "0"};
    if (flood) {
        args.push_back("--flood");
    }
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    // It names its pty on stderr; the figures are what this program prints.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return -1;
    }
    for (int i = 0; i < 200 && !fs::is_symlink(portDir / portName); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return pid;
}

void stopSimulator(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// Milliseconds from a Set click to its acknowledgement in the status line, one a click.
void timeSets(tq37r::ParamWindow& window, int count, std::vector<double>& ms) {
    QLineEdit* status = window.edit(tq37r::id::kStatusLine);
    for (int i = 0; i < count; ++i) {
        status->clear();
        QEventLoop loop;
        const auto connection = QObject::connect(status, &QLineEdit::textChanged, &loop, [&] {
            if (!status->text().isEmpty()) {
                loop.quit();
            }
        });
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        const auto clicked = Clock::now();
        window.button(tq37r::id::kSetPitch)->click();
        loop.exec();
        QObject::disconnect(connection);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - clicked).count());
        runEventLoopFor(std::chrono::milliseconds(20));
    }
}

// CPU seconds of this process per wall second while `during` runs for kCpuSpell.
template <typename Wait> double cpuShare(Wait during) {
    const double cpuStart = cpuSeconds();
    const auto start = Clock::now();
    during(kCpuSpell);
    return (cpuSeconds() - cpuStart) / std::chrono::duration<double>(Clock::now() - start).count();
}

// The baseline: a thread blocked in poll() on the flooded line, reading whatever comes.
double readerShare(const fs::path& device) {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    termios line{};
    tcgetattr(fd, &line);
    cfmakeraw(&line);
    tcsetattr(fd, TCSANOW, &line);
    tcflush(fd, TCIFLUSH);
    const int stopFd = eventfd(0, EFD_CLOEXEC);
    std::thread reader([fd, stopFd] {
        std::uint8_t buffer[4096];
        pollfd waits[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        while (poll(waits, 2, -1) >= 0 && (waits[1].revents & POLLIN) == 0) {
            [[maybe_unused]] const ssize_t n = read(fd, buffer, sizeof buffer);
        }
    });
    std::this_thread::sleep_for(kSettle);
    const double share = cpuShare([](auto spell) { std::this_thread::sleep_for(spell); });
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(stopFd, &one, sizeof one);
    reader.join();
    close(stopFd);
    close(fd);
    return share;
}

bool openPort(tq37r::ParamWindow& window, tq37r::PosixSerialPort& port, int portIndex) {
    window.combo(tq37r::id::kPortList)->setCurrentIndex(portIndex);
    window.button(tq37r::id::kOpenClose)->click();
    return port.isOpen();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-tq37r-sim\n", argv[0]);
        return 2;
    }
    const fs::path portDir = fs::temp_directory_path() / ("tq37r-flood-bench-" + std::to_string(getpid()));
    fs::create_directories(portDir);
    setenv("TQ37R_PORT_DIR", portDir.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    tq37r::ModalHooks::setMessageBoxHook(
        [](const tq37r::MessageBoxRequest&) { return tq37r::MessageBoxAnswer::Ok; });

    // COM1 stays quiet, COM2 floods.
    const pid_t quietSim = startSimulator(argv[1], portDir, "COM1", false);
    const pid_t floodSim = startSimulator(argv[1], portDir, "COM2", true);
    int status = 0;
    std::vector<double> windowShares, readerShares, quietSets, floodSets;
    {
        const auto port = tq37r::makeWindowPort();
        tq37r::ParamWindow window(*port);
        // Its opens measure the flood, not the first open's reads.
        window.core().session().skipFirstOpenRead();
        window.combo(tq37r::id::kBaudList)->setCurrentIndex(0); // 115200
        const auto windowOnFlood = [&] {
            if (!openPort(window, *port, 1)) {
                return false;
            }
            runEventLoopFor(kSettle);
            windowShares.push_back(cpuShare([](auto spell) { runEventLoopFor(spell); }));
            timeSets(window, kSetsPerRound, floodSets);
            window.button(tq37r::id::kOpenClose)->click();
            return true;
        };
        const auto windowOnQuiet = [&] {
            if (!openPort(window, *port, 0)) {
                return false;
            }
            timeSets(window, kSetsPerRound, quietSets);
            window.button(tq37r::id::kOpenClose)->click();
            return true;
        };
        const auto readerOnFlood = [&] {
            const double share = readerShare(fs::canonical(portDir / "COM2"));
            readerShares.push_back(share);
            return share >= 0;
        };
        for (int round = 0; round < kRounds && status == 0; ++round) {
            const bool ok = round % 2 == 0 ? windowOnFlood() && windowOnQuiet() && readerOnFlood()
                                           : readerOnFlood() && windowOnQuiet() && windowOnFlood();
            if (!ok) {
                std::fprintf(stderr, "could not open a simulator's line\n");
                status = 1;
            }
        }
    }
    stopSimulator(quietSim);
    stopSimulator(floodSim);
    fs::remove_all(portDir);
    if (status != 0) {
        return status;
    }
    const double windowShare = median(windowShares);
    const double readerShare = median(readerShares);
    std::printf(
        "flood at 115200 baud, %d rounds taken in turn: window %.1f %% of a core / a thread only reading "
        "the flood %.1f %% = %.1f (lower is better: what parsing, decoding and showing the flood cost "
        "over reading it)\n",
        kRounds, windowShare * 100, readerShare * 100, windowShare / readerShare);
    const double floodMs = median(floodSets);
    const double quietMs = median(quietSets);
    std::printf(
        "Set to acknowledgement shown, median of %zu: under the flood %.1f ms / quiet line %.1f ms = %.2f "
        "(lower is better; 1: the flood does not delay a Set)\n",
        floodSets.size(), floodMs, quietMs, floodMs / quietMs);
    return 0;
}
