#include "sim/PacedLine.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

#include "protocol/LineTime.h"

namespace tq37r::sim {

namespace {
constexpr std::size_t kLargestWrite = 4096;
} // namespace

PacedLine::PacedLine(std::uint32_t baud) : byteTime_(lineTime(1, baud)) {}

void PacedLine::send(std::span<const std::uint8_t> bytes, Clock::time_point from) {
    Clock::time_point through = std::max(from, lineFreeAt_);
    for (const std::uint8_t byte : bytes) {
        through += byteTime_;
        bytes_.push_back(byte);
        through_.push_back(through);
    }
    lineFreeAt_ = through;
}

std::optional<PacedLine::Clock::time_point> PacedLine::nextWrite() const {
    if (pending() == 0 || blocked_) {
        return std::nullopt;
    }
    return through_[head_];
}

PacedLine::Result PacedLine::pump(int fd, Clock::time_point now, FaultInjector* garbler) {
    while (pending() > 0 && !blocked_) {
        // All that is through by now in one write: a late wake-up catches up, but no byte goes
        // before its time.
        const auto due =
            std::upper_bound(through_.begin() + static_cast<std::ptrdiff_t>(head_), through_.end(), now);
        const std::size_t count =
            std::min(static_cast<std::size_t>(due - through_.begin()) - head_, kLargestWrite);
        if (count == 0) {
            break;
        }
        const std::uint8_t* data = bytes_.data() + head_;
        if (garbler != nullptr) {
            garbage_.clear();
            garbler->garble(count, garbage_);
            data = garbage_.data();
        }
        const ssize_t written = ::write(fd, data, count);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN) {
                blocked_ = true;
                break;
            }
            return Result::HungUp;
        }
        head_ += static_cast<std::size_t>(written);
        written_ += static_cast<std::uint64_t>(written);
    }
    if (head_ == bytes_.size()) {
        bytes_.clear();
        through_.clear();
        head_ = 0;
    } else if (head_ > kLargestWrite && head_ * 2 > bytes_.size()) {
        const auto taken = static_cast<std::ptrdiff_t>(head_);
        bytes_.erase(bytes_.begin(), bytes_.begin() + taken);
        through_.erase(through_.begin(), through_.begin() + taken);
        head_ = 0;
    }
    return Result::Ok;
}

} // namespace tq37r::sim
