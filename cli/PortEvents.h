#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "serial/SerialPort.h"

namespace tq37r::cli {

// Hands the port watcher's announcements to a thread that sleeps until one comes, so a
// command waiting for an answer uses no CPU while the line is quiet.
class PortEvents final : public SerialEventSink {
public:
    using Clock = std::chrono::steady_clock;

    struct Seen {
        bool rxReady = false;
        bool hungUp = false;
        bool interrupted = false;
    };

    void postSerialEvent(SerialEvent event, std::uint32_t tag) override;
    // From any thread: every wait, now and later, returns at once.
    void interrupt();

    // Sleeps until something is announced or until passes (never, when nullopt). Bytes
    // waiting are reported once per announcement; a hang-up and an interrupt stay reported.
    Seen wait(std::optional<Clock::time_point> until);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    Seen seen_;
};

} // namespace tq37r::cli
