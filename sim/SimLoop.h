#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>

#include "protocol/FrameReceiver.h"
#include "sim/FaultInjector.h"
#include "sim/PacedLine.h"
#include "sim/PseudoTerminal.h"
#include "sim/SimController.h"
#include "sim/SimOptions.h"
#include "sim/SimStats.h"

namespace tq37r::sim {

// The simulator's single-threaded poll loop: reads requests from the pty,
// answers them, sends state reports on time, and ends on a signal, a hang-up
// or its time limit.
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
    void onRequest(std::span<const std::uint8_t> frameBytes);
    void send(const WireFrame& frameBytes);
    void sendReport();
    void releaseDueReplies(Clock::time_point now);
    std::optional<Clock::time_point> nextWake() const;

    const SimOptions& options_;
    SimController& controller_;
    PseudoTerminal& pty_;
    int signalFd_;
    FaultInjector faults_;
    PacedLine line_;
    FrameReceiver receiver_;
    SimStats stats_;

    struct Delayed {
        Clock::time_point due;
        WireFrame bytes;
    };
    std::deque<Delayed> delayed_;
    std::vector<WireFrame> replies_;
    Clock::time_point nextReport_{};
    std::optional<Clock::time_point> deadline_;
    std::uint64_t reportCount_ = 0;
};

} // namespace tq37r::sim
