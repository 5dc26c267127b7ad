#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tq37r::sim {

// Outgoing bytes written no faster than a serial line at the given baud would
// carry them (start bit, 8 data bits, stop bit), in bursts of about 2 ms.
class PacedLine {
public:
    using Clock = std::chrono::steady_clock;

    // baud 0: no pacing, as fast as the pty takes.
    explicit PacedLine(std::uint32_t baud);

    // Bytes appended here go out after everything queued before them.
    std::vector<std::uint8_t>& queue() { return queue_; }
    std::size_t pending() const { return queue_.size() - head_; }

    enum class Result { Ok, HungUp };
    // Writes what the line rate allows at now.
    Result pump(int fd, Clock::time_point now);

    // Set while the pty is full: wait for it to become writable.
    bool waitingForRoom() const { return blocked_; }
    // When pump has the next bytes to write; nullopt when idle or waiting for room.
    std::optional<Clock::time_point> nextWrite() const;
    // Call when the pty reported room.
    void roomAvailable() { blocked_ = false; }

private:
    std::vector<std::uint8_t> queue_;
    std::size_t head_ = 0;
    std::chrono::nanoseconds byteTime_{0};
    std::size_t burst_ = 0;
    Clock::time_point lineFreeAt_{};
    bool blocked_ = false;
};

} // namespace tq37r::sim
