#include "sim/PacedLine.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

#include "protocol/LineTime.h"

namespace tq37r::sim {

namespace {
constexpr std::chrono::nanoseconds kBurstTime = std::chrono::milliseconds(2);
constexpr std::size_t kUnpacedChunk = 4096;
} // namespace

PacedLine::PacedLine(std::uint32_t baud) {
    if (baud == 0) {
        burst_ = kUnpacedChunk;
        return;
    }
    byteTime_ = lineTime(1, baud);
    burst_ = std::max<std::size_t>(1, static_cast<std::size_t>(kBurstTime / byteTime_));
}

std::optional<PacedLine::Clock::time_point> PacedLine::nextWrite() const {
    if (pending() == 0 || blocked_) {
        return std::nullopt;
    }
    return lineFreeAt_;
}

PacedLine::Result PacedLine::pump(int fd, Clock::time_point now) {
    while (pending() > 0 && !blocked_ && now >= lineFreeAt_) {
        const std::size_t count = std::min(burst_, pending());
        const ssize_t written = ::write(fd, queue_.data() + head_, count);
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
        if (byteTime_.count() > 0) {
            // Late wake-ups may catch up by one burst, no more, so the average rate holds.
            const Clock::time_point start = std::max(lineFreeAt_, now - kBurstTime);
            lineFreeAt_ = start + byteTime_ * written;
        }
    }
    if (head_ == queue_.size()) {
        queue_.clear();
        head_ = 0;
    } else if (head_ > 4096 && head_ * 2 > queue_.size()) {
        queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
    return Result::Ok;
}

} // namespace tq37r::sim
