#pragma once

#include <condition_variable>
#include <mutex>

#include "cli/LineWait.h"

namespace tq37r::cli {

// Hands the port watcher's announcements to a thread that sleeps until one comes, so a
// command waiting for an answer uses no CPU while the line is quiet.
class PortEvents final : public LineWait {
public:
    void postSerialEvent(SerialEvent event, std::uint32_t tag) override;
    // From any thread: every wait, now and later, returns at once.
    void interrupt();

    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    Seen wait(std::optional<TimePoint> until) override;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    Seen seen_;
};

} // namespace tq37r::cli
