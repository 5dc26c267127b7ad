// The real dialog, offscreen, with its port open on a pseudo-terminal whose far end this
// program plays. Measures, in one run:
//  - idle cost: CPU time the process uses in 10 s with the port open and nothing arriving;
//  - reply latency: from the peer's write of a reply's last byte returning to the moment the
//    dialog's edit holds the new value, against a plain thread blocked in poll() on another
//    pty for the same frame.
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/QtBenchTools.h"
#include "device/Codes.h"
#include "protocol/Frame.h"
#include "qt/ParamWindow.h"
#include "res/ControlIds.h"
#include "serial/posix/PosixSerialPort.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr int kSamples = 200;
constexpr auto kIdleTime = std::chrono::seconds(10);

struct Pty {
    int master = -1;
    int slave = -1;
    std::string path;

    Pty() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
            std::perror("openpty");
            std::exit(1);
        }
        path = name;
        for (int fd : {master, slave}) {
            termios settings{};
            tcgetattr(fd, &settings);
            cfmakeraw(&settings);
            tcsetattr(fd, TCSANOW, &settings);
        }
    }
    ~Pty() {
        close(master);
        close(slave);
    }
};

Bytes gainBlock2(std::uint8_t xP) {
    const Bytes payload{15, 1, 8, xP, 1, 8};
    Bytes out(payload.size() + 6);
    out.resize(tq37r::frame::assemble(out, tq37r::code::kGainBlock2, payload));
    return out;
}

Clock::time_point writeAll(int fd, const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        }
    }
    return Clock::now();
}

using tq37r::bench::cpuSeconds;
using tq37r::bench::runEventLoopFor;

struct Summary {
    double median = 0, p95 = 0, max = 0;
};

Summary summarise(std::vector<double> us) {
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us[us.size() * 95 / 100], us.back()};
}

// The floor: a thread blocked in poll() on a pty slave, woken by the same write.
Summary rawPtyLatency() {
    Pty pty;
    std::atomic<bool> stop{false};
    std::atomic<std::int64_t> arrivedNs{0};
    std::thread reader([&] {
        std::uint8_t buffer[256];
        std::size_t got = 0;
        pollfd p{pty.slave, POLLIN, 0};
        while (!stop.load()) {
            if (poll(&p, 1, 50) > 0) {
                const ssize_t n = read(pty.slave, buffer, sizeof buffer);
                got += n > 0 ? static_cast<std::size_t>(n) : 0;
                if (got >= 12) { // one whole 0xED frame
                    got -= 12;
                    arrivedNs.store(Clock::now().time_since_epoch().count());
                }
            }
        }
    });
    std::vector<double> us;
    std::mt19937 rng(1);
    for (int i = 0; i < kSamples; ++i) {
        arrivedNs.store(0);
        const auto written = writeAll(pty.master, gainBlock2(static_cast<std::uint8_t>(i)));
        while (arrivedNs.load() == 0) {
            std::this_thread::yield();
        }
        us.push_back(static_cast<double>(arrivedNs.load() - written.time_since_epoch().count()) / 1e3);
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + rng() % 2000));
    }
    stop.store(true);
    reader.join();
    return summarise(us);
}

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path portDir = fs::temp_directory_path() / ("tq37r-bench-" + std::to_string(getpid()));
    fs::create_directories(portDir);
    setenv("TQ37R_PORT_DIR", portDir.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Pty peer;
    fs::create_symlink(peer.path, portDir / "COM1");

    QApplication app(argc, argv);
    tq37r::ParamProcessState::shared().firstOpenRead = false;
    int status = 0;
    {
        tq37r::PosixSerialPort port;
        tq37r::ParamWindow dialog(port);
        dialog.show();
        dialog.combo(tq37r::id::kBaudList)->setCurrentIndex(0); // 115200
        dialog.button(tq37r::id::kOpenClose)->click();
        if (dialog.button(tq37r::id::kOpenClose)->text() != QStringLiteral("Close")) {
            std::fprintf(stderr, "could not open the pty as COM1\n");
            status = 1;
        } else {
            runEventLoopFor(std::chrono::milliseconds(500));
            const auto idleStart = Clock::now();
            const double cpuStart = cpuSeconds();
            runEventLoopFor(kIdleTime);
            const double idleCpu = cpuSeconds() - cpuStart;
            const double idleWall = std::chrono::duration<double>(Clock::now() - idleStart).count();
            std::printf(
                "idle cost, port open, nothing arriving: %.3f CPU s in %.1f s (ratio CPU/wall %.5f)\n",
                idleCpu, idleWall, idleCpu / idleWall);

            QLineEdit* xP = dialog.edit(tq37r::id::kXP);
            Clock::time_point shown{};
            QObject::connect(xP, &QLineEdit::textChanged, [&shown] { shown = Clock::now(); });
            std::vector<double> us;
            for (int i = 0; i < kSamples; ++i) {
                const auto value = static_cast<std::uint8_t>(1 + i % 250);
                shown = {};
                QEventLoop loop;
                QObject::connect(xP, &QLineEdit::textChanged, &loop, &QEventLoop::quit);
                QTimer::singleShot(1000, &loop, &QEventLoop::quit);
                const auto written = writeAll(peer.master, gainBlock2(value));
                if (shown == Clock::time_point{}) {
                    loop.exec();
                }
                if (shown == Clock::time_point{} || xP->text() != QString::number(value)) {
                    std::fprintf(stderr, "reply %d was not shown\n", i);
                    status = 1;
                    break;
                }
                us.push_back(std::chrono::duration<double, std::micro>(shown - written).count());
                runEventLoopFor(std::chrono::milliseconds(2));
            }
            if (status == 0) {
                const Summary dialogLatency = summarise(us);
                const Summary raw = rawPtyLatency();
                std::printf("reply latency, last byte written to value shown (%d replies): median %.0f us, "
                            "p95 %.0f us, max %.0f us\n",
                            kSamples, dialogLatency.median, dialogLatency.p95, dialogLatency.max);
                std::printf("same frame to a thread blocked in poll(): median %.0f us, p95 %.0f us; "
                            "ratio dialog/poll (medians) %.1f\n",
                            raw.median, raw.p95, dialogLatency.median / raw.median);
            }
        }
    }
    fs::remove_all(portDir);
    return status;
}
