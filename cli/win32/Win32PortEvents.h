#pragma once

#include <windows.h>

#include <mutex>

#include "cli/LineWait.h"

namespace tq37r::cli {

// A command's wait on its ports in its own thread: each port's watcher thread posts here and
// wakes it. wait() sleeps in one WaitForMultipleObjects on that wake-up and on the stop event
// until the deadline, so a command waiting for an answer uses no CPU while the line is quiet.
class Win32PortEvents final : public LineWait {
public:
    // `stop`, when not null, ends every wait from the time it is set.
    explicit Win32PortEvents(HANDLE stop);
    ~Win32PortEvents();
    Win32PortEvents(const Win32PortEvents&) = delete;
    Win32PortEvents& operator=(const Win32PortEvents&) = delete;

    // On a port's watcher thread.
    void postSerialEvent(SerialEvent event, std::uint32_t tag) override;

    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    Seen wait(std::optional<TimePoint> until) override;

private:
    // Moves what was posted into `seen`; whether there was anything.
    bool takePosted(Seen& seen);

    HANDLE stop_;
    HANDLE posted_; // auto-reset: set by each post
    std::mutex mutex_;
    Seen pending_; // guarded by mutex_
    bool interrupted_ = false;
};

} // namespace tq37r::cli
