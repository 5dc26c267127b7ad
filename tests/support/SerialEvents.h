#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "serial/SerialPort.h"

namespace tq37r::test {

// Stands in for the window's message queue: the watcher posts, the test takes.
class EventQueue : public SerialEventSink {
public:
    void postSerialEvent(SerialEvent event, std::uint32_t) override {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
        posted_.notify_all();
    }
    // The next event posted, waiting up to timeout for it.
    std::optional<SerialEvent> take(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        if (!posted_.wait_for(lock, timeout, [this] { return !events_.empty(); })) {
            return std::nullopt;
        }
        const SerialEvent event = events_.front();
        events_.pop_front();
        return event;
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<SerialEvent> events_;
};

// Polls condition until it holds or a generous limit passes; whether it held.
inline bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace tq37r::test
