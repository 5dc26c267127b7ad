#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "protocol/FrameReceiver.h"
#include "sim/FaultInjector.h"
#include "sim/PacedInput.h"
#include "sim/PacedLine.h"
#include "sim/PseudoTerminal.h"
#include "sim/SimController.h"
#include "sim/SimOptions.h"
#include "sim/SimStats.h"

namespace tq37r::sim {

// The simulator's single-threaded poll loop: reads requests from the pty as
// they come down the line, answers them, sends state reports on time, and ends
// on a signal, a hang-up or its time limit.
class SimLoop {
public:
    using Clock = std::chrono::steady_clock;

    // signalFd: a signalfd for SIGINT, SIGTERM, SIGHUP and SIGUSR1.
    SimLoop(const SimOptions& options, SimController& controller, PseudoTerminal& pty, int signalFd);

    // Returns the process exit code.
    int run();

    const SimStats& stats() const { return stats_; }

private:
    enum class Step { Continue, Stop, Failed };

    Step readRequests();
    Step readSignal();
    void takeArrived(Clock::time_point now);
    // The tool's rate is on the pty, which both ends share: a UART at another rate hears garbage.
    bool rateMatches() const;
    bool tooSoonAfterFirstRead(Clock::time_point now) const;
    void onRequest(std::span<const std::uint8_t> frameBytes);
    // The controller's UART starts on the frame at `from`, or once the line is free.
    void send(const WireFrame& frameBytes, Clock::time_point from);
    void sendReport(Clock::time_point from);
    void releaseDueReplies(Clock::time_point now);
    // False when the tool hung up.
    bool writeThrough(Clock::time_point now);
    void tallyWritten(std::uint64_t before, bool garbled);
    std::optional<Clock::time_point> nextWake() const;

    const SimOptions& options_;
    SimController& controller_;
    PseudoTerminal& pty_;
    int signalFd_;
    FaultInjector faults_;
    PacedLine line_;
    PacedInput input_;
    FrameReceiver receiver_;
    FrameReceiver misheard_; // what the tool sent at another rate, only to count it
    SimStats stats_;

    struct Delayed {
        Clock::time_point due;
        WireFrame bytes;
    };
    std::deque<Delayed> delayed_;
    std::vector<WireFrame> replies_;
    std::vector<std::uint8_t> shaped_;
    Clock::time_point requestEnd_{}; // when the last byte of the request being handled came

    // A frame on its way out, by its place in all the bytes the line has taken; counted once its
    // last byte is written, as garbled if any of it went out while the tool's rate differed.
    struct Outgoing {
        std::uint64_t start, end;
        std::uint8_t code;
        bool corrupted;
        bool garbled = false;
    };
    std::deque<Outgoing> outgoing_;
    Clock::time_point nextReport_{};
    std::optional<Clock::time_point> deadline_;
    std::uint64_t reportCount_ = 0;
    std::optional<Clock::time_point> firstReadAt_;
};

} // namespace tq37r::sim
