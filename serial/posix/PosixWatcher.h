#pragma once

#include <atomic>
#include <thread>

#include "serial/posix/DescriptorWatcher.h"

namespace tq37r {

// A thread of the port's own that waits on its descriptor; it ends at a hang-up. Any thread
// may wake it.
class PosixWatcher final : public DescriptorWatcher {
public:
    PosixWatcher() = default;
    ~PosixWatcher() override;
    PosixWatcher(const PosixWatcher&) = delete;
    PosixWatcher& operator=(const PosixWatcher&) = delete;

    int start(int fd, SerialNotifier& notifier) override;
    void wake() override;
    // Wakes the thread, waits for it to end and releases what it waited on.
    void stop() override;

private:
    void run(int fd, SerialNotifier& notifier);
    void releaseDescriptors();

    std::thread thread_;
    int wakeFd_ = -1;  // eventfd: stop() and wake() write to it
    int epollFd_ = -1; // the thread waits here for the port and wakeFd_
    std::atomic<bool> stopping_{false};
};

} // namespace tq37r
