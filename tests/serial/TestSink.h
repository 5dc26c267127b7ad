#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "serial/NotifyingSerialPort.h"

namespace tq37r::test {

// Stands in for the dialog's message queue: the watcher posts, the test's "GUI"
// loop takes. Counts a post that comes before the previous one was drained.
class TestSink : public SerialEventSink {
public:
    void postSerialEvent(SerialEvent event, std::int32_t) override {
        std::lock_guard lock(mutex_);
        if (event == SerialEvent::RxReady) {
            if (undrained_ > 0) {
                ++floods_;
            }
            ++undrained_;
            ++rxPosts_;
        }
        events_.push_back(event);
        changed_.notify_all();
    }

    std::optional<SerialEvent> wait(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, timeout, [this] { return !events_.empty(); })) {
            return std::nullopt;
        }
        const SerialEvent event = events_.front();
        events_.pop_front();
        return event;
    }

    // Called by the test loop right before it drains.
    void drainStarts() {
        std::lock_guard lock(mutex_);
        undrained_ = 0;
    }

    int floods() const {
        std::lock_guard lock(mutex_);
        return floods_;
    }
    int rxPosts() const {
        std::lock_guard lock(mutex_);
        return rxPosts_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<SerialEvent> events_;
    int undrained_ = 0;
    int floods_ = 0;
    int rxPosts_ = 0;
};

} // namespace tq37r::test
