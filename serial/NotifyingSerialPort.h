#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "serial/OverlappedSerialPort.h"

namespace tq37r {

enum class SerialEvent { RxReady, HangUp };

// Where the watcher's notifications go. Called on the watcher thread: must only post.
class SerialEventSink {
public:
    virtual void postSerialEvent(SerialEvent event, std::int32_t portNumber) = 0;

protected:
    ~SerialEventSink() = default;
};

// Adds the watcher thread that announces waiting bytes and hang-ups.
class NotifyingSerialPort : public OverlappedSerialPort {
public:
    NotifyingSerialPort();
    ~NotifyingSerialPort() override;

    bool open() override;
    // Stops the watcher (it wakes at once) and closes the device.
    void close() override;

    // Called on the watcher thread.
    virtual void notifyRxReady();
    virtual void notifyHangUp();

    // The drain calls this after reading, so that the watcher announces what is still queued.
    void rxDrained();
    // Stores the sink and lets the watcher announce bytes, or a hang-up, that came while there was none.
    void setNotifyWindow(SerialEventSink* sink);

    std::atomic<SerialEventSink*> notifyWindow{nullptr};
    std::uint32_t rxThreshold = 0; // set before open(); the watcher reads it unguarded
    std::atomic<bool> running{false};

private:
    void watch();
    void announceQueued();
    void wakeWatcher();
    void postPendingHangUp();

    std::thread thread_;
    int wakeFd_ = -1;  // eventfd: close(), rxDrained() and setNotifyWindow() wake the watcher
    int epollFd_ = -1; // the watcher waits here for the port and wakeFd_
    std::atomic<bool> notificationPending_{false};
    std::atomic<bool> hangUpPending_{false}; // seen before a sink was set
};

} // namespace tq37r
