#pragma once

#include <atomic>
#include <thread>

namespace tq37r {

class SerialNotifier;

// The thread that waits on an open port's descriptor and tells the notifier what it sees:
// bytes queued (when an announcement may be made) and hang-ups, after which it ends.
class PosixWatcher {
public:
    PosixWatcher() = default;
    ~PosixWatcher();
    PosixWatcher(const PosixWatcher&) = delete;
    PosixWatcher& operator=(const PosixWatcher&) = delete;

    // Starts watching fd; 0, or the errno of the call that failed. fd must stay open until stop().
    int start(int fd, SerialNotifier& notifier);
    // Makes the watcher look at the input queue again.
    void wake();
    // Wakes the thread, waits for it to end and releases what it waited on; harmless when stopped.
    void stop();

private:
    void run(int fd, SerialNotifier& notifier);
    void releaseDescriptors();

    std::thread thread_;
    int wakeFd_ = -1;  // eventfd: stop() and wake() write to it
    int epollFd_ = -1; // the thread waits here for the port and wakeFd_
    std::atomic<bool> stopping_{false};
};

} // namespace tq37r
