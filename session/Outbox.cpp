#include "session/Outbox.h"

#include <algorithm>

#include "device/Codes.h"

namespace tq37r {

std::optional<Outbox::TimePoint> Outbox::due() const {
    if (items_.empty()) {
        return std::nullopt;
    }
    const Item& head = items_.front();
    TimePoint due = lastSent_ + head.afterPrevious;
    if (head.request.code == code::kReadGainBlock2 && firstReadSent_) {
        due = std::max(due, *firstReadSent_ + request::kReadPairPause);
    }
    return due;
}

std::optional<Outbox::Item> Outbox::takeDue(TimePoint now) {
    const std::optional<TimePoint> when = due();
    if (!when || *when > now) {
        return std::nullopt;
    }
    Item head = std::move(items_.front());
    items_.pop_front();
    return head;
}

void Outbox::opened(TimePoint at) {
    items_.clear();
    lastSent_ = at;
    firstReadSent_.reset();
}

void Outbox::sent(const Request& request, TimePoint at) {
    lastSent_ = at;
    if (request.code == code::kReadGainBlock1) {
        firstReadSent_ = at;
    }
}

} // namespace tq37r
