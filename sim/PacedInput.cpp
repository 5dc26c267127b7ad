#include "sim/PacedInput.h"

#include <algorithm>

#include "protocol/LineTime.h"

namespace tq37r::sim {

PacedInput::PacedInput(std::uint32_t baud) : byteTime_(lineTime(1, baud)) {}

void PacedInput::dropTaken() {
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
}

void PacedInput::add(std::span<const std::uint8_t> bytes, Clock::time_point now) {
    dropTaken();
    // A line that was idle starts carrying them now; a busy one after what it still carries.
    const Clock::time_point start = std::max(lineFreeAt_, now);
    if (bytes_.empty()) {
        headArrives_ = start + byteTime_;
    }
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    lineFreeAt_ = start + byteTime_ * static_cast<std::int64_t>(bytes.size());
}

PacedInput::Arrived PacedInput::take(Clock::time_point now) {
    dropTaken();
    if (bytes_.empty() || now < headArrives_) {
        return {{}, headArrives_, byteTime_};
    }
    std::size_t count = bytes_.size();
    if (byteTime_.count() > 0) {
        count = std::min<std::size_t>(count, static_cast<std::size_t>((now - headArrives_) / byteTime_) + 1);
    }
    head_ = count;
    const Clock::time_point firstAt = headArrives_;
    headArrives_ += byteTime_ * static_cast<std::int64_t>(count);
    return {{bytes_.data(), count}, firstAt, byteTime_};
}

std::optional<PacedInput::Clock::time_point> PacedInput::nextArrival() const {
    if (head_ == bytes_.size()) {
        return std::nullopt;
    }
    return headArrives_;
}

} // namespace tq37r::sim
