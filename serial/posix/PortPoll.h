#pragma once

#include <poll.h>

#include <chrono>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "serial/posix/DescriptorWatcher.h"

namespace tq37r {

// Open ports waited on by the thread that drives them, in its own poll(): no thread of theirs
// to start, join or wake. A program that sleeps only while it waits for its ports (the command
// line) gives each port a watcher() of this and calls wait() where it would sleep; the
// announcements are made inside wait(), on that thread. Every call comes from that one thread,
// and the ports must be gone before this is.
class PortPoll {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    PortPoll() = default;
    PortPoll(const PortPoll&) = delete;
    PortPoll& operator=(const PortPoll&) = delete;

    // For one port; it watches here while the port is open.
    std::unique_ptr<DescriptorWatcher> watcher();

    // Sleeps in one poll until a port has news, one of `others` is ready (their revents say
    // which) or `until` passes, and announces the ports' news to their notifiers. Bytes left
    // queued after a drain, or queued before a sink was set, end it at once. False when poll
    // failed (errno says why).
    bool wait(std::optional<TimePoint> until, std::span<pollfd> others = {});

private:
    class Watcher;
    friend class Watcher;

    std::vector<Watcher*> watching_;
    std::vector<pollfd> fds_; // kept, so a wait allocates nothing
};

} // namespace tq37r
