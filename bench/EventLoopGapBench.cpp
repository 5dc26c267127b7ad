// How long the window's event loop goes without a turn, the time it cannot repaint or take a
// click: the real window, offscreen, on the tool's own port (makeWindowPort(), as the
// application makes it) to a pty whose far end is tq37r-sim, answering as the controller
// does: at the window's default rate, with its state reports, ignoring a second gain read
// that comes too soon. A precise 1 ms timer on the window's thread stamps each turn; the
// longest interval between two stamps is the figure. In one run, a fresh window per
// repetition, since only a window's first open reads the gains:
//  - its first Open, clicked, through both read pairs and a while after;
//  - Read, clicked, through both blocks and a while after;
//  - idle spells of the same lengths between them, the port open and nothing asked, which
//    the two are set against.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/ProcessTiming.h"
#include "bench/QtBenchTools.h"
#include "bench/SimulatorProcess.h"
#include "core/LineLog.h"
#include "device/Codes.h"
#include "protocol/Frame.h"
#include "qt/EventLoopPortWatcher.h"
#include "qt/ModalHooks.h"
#include "qt/ParamWindow.h"
#include "res/ControlIds.h"

namespace {

using tq37r::bench::median;

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
namespace fs = std::filesystem;

using tq37r::bench::runEventLoopFor;

constexpr int kWindows = 7;
constexpr int kReadsPerWindow = 3;
constexpr double kGoalMs = 16; // one frame at 60 Hz
// Before each click, so that the click's own turn falls inside the measurement.
constexpr milliseconds kLead{50};
// After the click: the first open's two read pairs end some 800 ms in, a Read's two blocks
// some 150 ms in.
constexpr milliseconds kOpenSpan{1000};
constexpr milliseconds kReadSpan{250};
constexpr milliseconds kSettle{300};

// Stamps each turn of the calling thread's event loop and keeps the longest interval between
// two turns. A timer rather than a spinning loop: it sleeps between turns, as the window does.
class TurnStamper {
public:
    TurnStamper() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] { stamp(); });
    }
    void start() {
        longest_ = Clock::duration::zero();
        last_ = Clock::now();
        timer_.start();
    }
    // The longest gap since start(), in milliseconds.
    double stop() {
        stamp();
        timer_.stop();
        return std::chrono::duration<double, std::milli>(longest_).count();
    }

private:
    void stamp() {
        const Clock::time_point now = Clock::now();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }

    QTimer timer_;
    Clock::time_point last_;
    Clock::duration longest_{};
};

// The longest gap over kLead + span, with `click` run by the loop after kLead; nothing clicked
// for an idle spell.
double longestGap(TurnStamper& stamper, milliseconds span, const std::function<void()>& click = {}) {
    stamper.start();
    if (click) {
        QTimer::singleShot(kLead, Qt::PreciseTimer, click);
    }
    runEventLoopFor(kLead + span);
    return stamper.stop();
}

// Gain read-backs received, and requests that went unanswered, among the log's entries after
// the first `seen`.
struct Tally {
    int readBacks = 0;
    int unanswered = 0;
};

Tally tally(const tq37r::LineLog& log, std::uint64_t seen) {
    Tally t;
    for (const tq37r::LineLog::Entry* entry : log.since(seen)) {
        if (entry->kind == tq37r::LineLog::Kind::Received) {
            const std::uint8_t code = entry->bytes[tq37r::frame::kCodeOffset];
            t.readBacks += code == tq37r::code::kGainBlock1 || code == tq37r::code::kGainBlock2 ? 1 : 0;
        } else if (entry->kind == tq37r::LineLog::Kind::Unanswered) {
            ++t.unanswered;
        }
    }
    return t;
}

// The window's action against the idle spells of the same length, one worst gap each a
// repetition.
struct Figures {
    std::vector<double> action, idle;
};

void print(const char* action, const Figures& f) {
    const double worst = *std::max_element(f.action.begin(), f.action.end());
    const double idleWorst = *std::max_element(f.idle.begin(), f.idle.end());
    std::printf(
        "longest event-loop gap during %s %.1f ms / idle %.1f ms = %.1f (lower is better; goal: under "
        "%.0f ms), the worst of %zu each\n",
        action, worst, idleWorst, worst / idleWorst, kGoalMs, f.action.size());
    const double typical = median(f.action);
    const double idleTypical = median(f.idle);
    std::printf(
        "  median of the per-repetition longest: %s %.1f ms / idle %.1f ms = %.1f (lower is better)\n",
        action, typical, idleTypical, typical / idleTypical);
}

// One repetition: a new window's first Open, then Reads, each followed by an idle spell of the
// same length; false, with why on stderr, when the window did not do what was clicked.
bool repetition(TurnStamper& stamper, Figures& open, Figures& read, int& boxes, QString& baud) {
    const auto port = tq37r::makeWindowPort();
    tq37r::ParamWindow window(*port);
    window.show();
    window.combo(tq37r::id::kPortList)->setCurrentIndex(0); // COM1, the simulator
    baud = window.combo(tq37r::id::kBaudList)->currentText();
    runEventLoopFor(kSettle);
    QPushButton* openClose = window.button(tq37r::id::kOpenClose);
    const tq37r::LineLog& log = window.core().lineLog();

    open.action.push_back(longestGap(stamper, kOpenSpan, [openClose] { openClose->click(); }));
    const Tally opened = tally(log, 0);
    if (!port->isOpen() || opened.readBacks != 4 || opened.unanswered != 0 ||
        !window.core().session().idle()) {
        std::fprintf(stderr, "the first open read %d of 4 blocks, %d unanswered\n", opened.readBacks,
                     opened.unanswered);
        return false;
    }
    open.idle.push_back(longestGap(stamper, kOpenSpan));

    QPushButton* readButton = window.button(tq37r::id::kRead);
    for (int i = 0; i < kReadsPerWindow; ++i) {
        const std::uint64_t seen = log.total();
        read.action.push_back(longestGap(stamper, kReadSpan, [readButton] { readButton->click(); }));
        const Tally t = tally(log, seen);
        if (t.readBacks != 2 || t.unanswered != 0 || !window.core().session().idle()) {
            std::fprintf(stderr, "a Read read %d of 2 blocks, %d unanswered\n", t.readBacks, t.unanswered);
            return false;
        }
        read.idle.push_back(longestGap(stamper, kReadSpan));
    }
    openClose->click();
    runEventLoopFor(milliseconds(20));
    return boxes == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-tq37r-sim\n", argv[0]);
        return 2;
    }
    const fs::path portDir = fs::temp_directory_path() / ("tq37r-gap-bench-" + std::to_string(getpid()));
    fs::create_directories(portDir);
    setenv("TQ37R_PORT_DIR", portDir.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    // A box would wait for a click that never comes; it is counted as a failure instead.
    int boxes = 0;
    tq37r::ModalHooks::setMessageBoxHook([&boxes](const tq37r::MessageBoxRequest& request) {
        std::fprintf(stderr, "box: %s %s\n", request.text.c_str(), request.detail.c_str());
        ++boxes;
        return tq37r::MessageBoxAnswer::Ok;
    });

    int status = 0;
    Figures open, read;
    QString baud;
    {
        const tq37r::bench::SimulatorProcess sim(argv[1], portDir, "COM1", {"--strict-gap"});
        status = sim.started() ? 0 : 1;
        TurnStamper stamper;
        for (int r = 0; r < kWindows && status == 0; ++r) {
            status = repetition(stamper, open, read, boxes, baud) ? 0 : 1;
        }
    }
    fs::remove_all(portDir);
    if (status != 0) {
        std::fprintf(stderr, "could not run the window against the simulator\n");
        return status;
    }
    std::printf(
        "the window offscreen on its own serial port (PosixSerialPort) to a pty, tq37r-sim answering at %s "
        "baud with its state reports; a 1 ms precise timer on the GUI thread stamps each turn; %d windows, "
        "each: first Open, idle, then %d x (Read, idle), each idle spell as long as what it follows\n",
        baud.toUtf8().constData(), kWindows, kReadsPerWindow);
    print("first Open", open);
    print("Read", read);
    return 0;
}
