#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <optional>

#include "device/LinkClock.h"
#include "device/Reply.h"
#include "device/Requests.h"

namespace tq37r {

// Requests waiting for their turn on the line, first come first served, and the times the
// controller needs between them: the second gain read no earlier than the read pair's pause
// after the first, and nothing else between the two; a request may also ask to wait a while
// after the one before it went (the first open's reads). Nothing here sleeps: the owner sends
// the head once due() has passed.
class Outbox {
public:
    using TimePoint = LinkClock::TimePoint;
    // The answer when it comes; nullptr when every try went unanswered.
    using Completion = std::function<void(const Reply* answer)>;

    enum class Purpose : std::uint8_t {
        Plain,
        Repeat,    // asked again for certainty: its silence is no news when the first answer came
        SaveCheck, // the read-back that checks a save
    };
    struct Item {
        Request request;
        Purpose purpose = Purpose::Plain;
        int triesLeft = 1;
        std::chrono::milliseconds afterPrevious{0};
        Completion done;
    };

    // A new line: nothing queued, and the times count from its opening.
    void opened(TimePoint at);
    void push(Item item) { items_.push_back(std::move(item)); }
    // A retry goes first: the rest was queued after it.
    void pushFront(Item item) { items_.push_front(std::move(item)); }
    void clear() { items_.clear(); }
    bool empty() const { return items_.empty(); }

    // When the head may go: nullopt when there is none.
    std::optional<TimePoint> due() const;
    // The head, once due; nullopt when nothing may go yet.
    std::optional<Item> takeDue(TimePoint now);
    // What went out last, which the times count from.
    void sent(const Request& request, TimePoint at);

private:
    std::deque<Item> items_;
    TimePoint lastSent_{};
    std::optional<TimePoint> firstReadSent_;
};

} // namespace tq37r
