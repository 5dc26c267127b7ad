// The real window against tq37r-sim flooding the line with state reports at 115200 baud:
// how much of a core the window needs to keep up, and how long a Set then takes from the
// click to its acknowledgement on screen, against the same Set on a quiet line.
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/QtBenchTools.h"
#include "qt/ModalHooks.h"
#include "qt/ParamWindow.h"
#include "res/ControlIds.h"
#include "serial/posix/PosixSerialPort.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

using tq37r::bench::cpuSeconds;
using tq37r::bench::runEventLoopFor;

pid_t startSimulator(const std::string& path, const fs::path& portDir, bool flood) {
    std::vector<std::string> args{path, "--port", "COM1", "--baud", "115200", "--report-ms", "0"};
    if (flood) {
        args.push_back("--flood");
    }
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    for (int i = 0; i < 200 && !fs::is_symlink(portDir / "COM1"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return pid;
}

void stopSimulator(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// Median time from a Set click to its acknowledgement in the status line, over `samples` clicks.
double medianSetMs(tq37r::ParamWindow& window, int samples) {
    QLineEdit* status = window.edit(tq37r::id::kStatusLine);
    std::vector<double> ms;
    for (int i = 0; i < samples; ++i) {
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
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
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
    tq37r::ParamProcessState::shared().firstOpenRead = false;

    double quietMs = 0;
    double floodMs = 0;
    double cpuShare = 0;
    for (const bool flood : {false, true}) {
        const pid_t sim = startSimulator(argv[1], portDir, flood);
        tq37r::PosixSerialPort port;
        tq37r::ParamWindow window(port);
        window.combo(tq37r::id::kBaudList)->setCurrentIndex(0); // 115200
        window.button(tq37r::id::kOpenClose)->click();
        if (!port.isOpen()) {
            std::fprintf(stderr, "could not open the simulator's line\n");
            stopSimulator(sim);
            return 1;
        }
        if (flood) {
            const double cpuStart = cpuSeconds();
            const auto start = Clock::now();
            runEventLoopFor(std::chrono::seconds(5));
            cpuShare =
                (cpuSeconds() - cpuStart) / std::chrono::duration<double>(Clock::now() - start).count();
        }
        (flood ? floodMs : quietMs) = medianSetMs(window, 20);
        window.button(tq37r::id::kOpenClose)->click();
        stopSimulator(sim);
    }
    fs::remove_all(portDir);
    std::printf("flood at 115200 baud: the window uses %.1f %% of a core to keep up\n", cpuShare * 100);
    std::printf(
        "Set to acknowledgement shown, median of 20: %.1f ms on a quiet line, %.1f ms under the flood "
        "(ratio %.1f)\n",
        quietMs, floodMs, floodMs / quietMs);
    return 0;
}
