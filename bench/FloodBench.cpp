// The real window against tq37r-sim flooding the line with state reports at 115200 baud, in
// one run, its figures taken in turn over a few rounds so that all see the same load:
//  - CPU: the share of a core the window needs to keep up, against a thread that only reads
//    the same flood (blocked in poll(), no parsing); and with its Line log window open against
//    closed, the log showing every frame of the flood;
//  - memory: the process's resident set before the Line log window opens, while it is open
//    under the flood, and after it is closed.
// Not taken: a Set's time to its acknowledgement. About 2 ms on either line, nearly all of it the
// frames' own time on the line (under the flood the answer also waits for the report being sent)
// and the rest wake-ups, it cannot show what the window adds.
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/ProcessTiming.h"
#include "bench/QtBenchTools.h"
#include "bench/SimulatorProcess.h"
#include "core/BackgroundMenu.h"
#include "qt/EventLoopPortWatcher.h"
#include "qt/LineLogWindow.h"
#include "qt/ModalHooks.h"
#include "qt/ParamWindow.h"
#include "res/ControlIds.h"

namespace {

using tq37r::bench::median;

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

using tq37r::bench::cpuSeconds;
using tq37r::bench::runEventLoopFor;

constexpr int kRounds = 4;
constexpr auto kSettle = std::chrono::milliseconds(500);
constexpr auto kCpuSpell = std::chrono::milliseconds(2000);
constexpr double kMiB = 1024.0 * 1024.0;

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

// This process's memory, in bytes: resident, and of that what files back (code and fonts as they
// are first touched: shared, and the kernel may drop them); and what the C library's allocator has
// handed out and not had back.
struct Memory {
    double resident = 0;
    double fileBacked = 0;
    double inUse = 0;
};

Memory memoryNow() {
    Memory memory;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:") || line.starts_with("RssFile:")) {
            (line[0] == 'V' ? memory.resident : memory.fileBacked) =
                std::stod(line.substr(line.find(':') + 1)) * 1024;
        }
    }
    const struct mallinfo2 heap = mallinfo2();
    memory.inUse = static_cast<double>(heap.uordblks + heap.hblkhd);
    return memory;
}

bool openPort(tq37r::ParamWindow& window, tq37r::PosixSerialPort& port) {
    QComboBox* ports = window.combo(tq37r::id::kPortList);
    ports->setCurrentIndex(ports->findText("COM1"));
    window.button(tq37r::id::kOpenClose)->click();
    return port.isOpen();
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

    // State reports back to back at the full line rate: the line never rests.
    std::optional<tq37r::bench::SimulatorProcess> floodSim;
    floodSim.emplace(argv[1], portDir, "COM1",
                     tq37r::bench::Args{"--baud", "115200", "--report-ms", "0", "--flood"});
    int status = 0;
    std::vector<double> closedShares, openShares, readerShares;
    Memory before;                  // before the Line log window first opened
    std::vector<Memory> whileOpen;  // a round each
    std::vector<Memory> afterClose; // a round each
    {
        const auto port = tq37r::makeWindowPort();
        tq37r::ParamWindow window(*port);
        // Its opens measure the flood, not the first open's reads.
        window.core().session().skipFirstOpenRead();
        window.combo(tq37r::id::kBaudList)->setCurrentIndex(0); // 115200
        const auto logClosed = [&] {
            closedShares.push_back(cpuShare([](auto spell) { runEventLoopFor(spell); }));
            return true;
        };
        const auto logOpen = [&] {
            if (whileOpen.empty()) {
                before = memoryNow();
            }
            window.core().onMenuCommand(tq37r::MenuCommand::LineLog);
            runEventLoopFor(kSettle);
            openShares.push_back(cpuShare([](auto spell) { runEventLoopFor(spell); }));
            whileOpen.push_back(memoryNow());
            // Closed from the event loop, as a click would: the loop then deletes it.
            QTimer::singleShot(0, window.lineLogWindow(), &QWidget::close);
            runEventLoopFor(kSettle);
            afterClose.push_back(memoryNow());
            return window.lineLogWindow() == nullptr;
        };
        const auto windowOnFlood = [&](bool logFirst) {
            if (!openPort(window, *port)) {
                return false;
            }
            runEventLoopFor(kSettle);
            const bool ok = logFirst ? logOpen() && logClosed() : logClosed() && logOpen();
            window.button(tq37r::id::kOpenClose)->click();
            return ok;
        };
        const auto readerOnFlood = [&] {
            const double share = readerShare(fs::canonical(portDir / "COM1"));
            readerShares.push_back(share);
            return share >= 0;
        };
        for (int round = 0; round < kRounds && status == 0; ++round) {
            const bool ok = round % 2 == 0 ? windowOnFlood(false) && readerOnFlood()
                                           : readerOnFlood() && windowOnFlood(true);
            if (!ok) {
                std::fprintf(stderr, "could not open the simulator's line, or the Line log window stayed\n");
                status = 1;
            }
        }
    }
    floodSim.reset();
    fs::remove_all(portDir);
    if (status != 0) {
        return status;
    }
    const double closedShare = median(closedShares);
    const double openShare = median(openShares);
    const double readerShare = median(readerShares);
    std::printf(
        "flood at 115200 baud, %d rounds taken in turn, medians: window %.1f %% of a core / a thread only "
        "reading the flood %.1f %% = %.1f (lower is better: what parsing, decoding and showing the flood "
        "cost over reading it)\n",
        kRounds, closedShare * 100, readerShare * 100, closedShare / readerShare);
    std::printf(
        "Line log window under the flood: window with it open %.1f %% of a core / closed %.1f %% = %.2f "
        "(lower is better; goal: at most 1.5)\n",
        openShare * 100, closedShare * 100, openShare / closedShare);
    const auto mb = [](double bytes, double from) { return (bytes - from) / kMiB; };
    double largestOpen = 0;
    for (const Memory& m : whileOpen) {
        largestOpen = std::max(largestOpen, mb(m.resident, before.resident));
    }
    std::printf(
        "memory (RSS) under the flood, against %.1f MB before the Line log window first opened (lower "
        "is better): while open %+.2f MB at most; after closing it, round by round,",
        before.resident / kMiB, largestOpen);
    for (const Memory& m : afterClose) {
        std::printf(" %+.2f", mb(m.resident, before.resident));
    }
    const Memory& last = afterClose.back();
    std::printf(
        " MB; after the last close %+.2f MB handed out by the allocator and not back, %+.2f MB of pages "
        "files back (code, fonts), %+.2f MB other anonymous memory (among it, freed memory the C library "
        "keeps for reuse)\n",
        mb(last.inUse, before.inUse), mb(last.fileBacked, before.fileBacked),
        mb(last.resident - last.fileBacked - last.inUse, before.resident - before.fileBacked - before.inUse));
    // Pages a file backs are the libraries' and fonts', shared and dropped by the kernel at need:
    // what the window keeps is the process's own memory.
    std::printf(
        "memory of the process's own (RSS without file pages) after closing the Line log window, round by "
        "round, against before (lower is better):");
    for (const Memory& m : afterClose) {
        std::printf(" %+.2f", mb(m.resident - m.fileBacked, before.resident - before.fileBacked));
    }
    std::printf(" MB (goal: at most +1 MB)\n");
    return 0;
}
