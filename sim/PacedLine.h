#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/FaultInjector.h"

namespace tq37r::sim {

// Outgoing bytes as the controller's UART sends them: one after another in the order queued,
// each handed to the pty no sooner than a line at the given baud has carried it (start bit,
// 8 data bits, stop bit). The tool then reads no byte before a real controller could have sent it.
class PacedLine {
public:
    using Clock = std::chrono::steady_clock;

    // baud 0: no pacing, as fast as the pty takes.
    explicit PacedLine(std::uint32_t baud);

    // The UART starts on bytes at `from`, or once it has sent what is queued before them.
    void send(std::span<const std::uint8_t> bytes, Clock::time_point from);
    std::size_t pending() const { return bytes_.size() - head_; }
    // When the last byte queued is through the line.
    Clock::time_point freeAt() const { return lineFreeAt_; }
    // How many bytes have gone to the pty so far.
    std::uint64_t written() const { return written_; }

    enum class Result { Ok, HungUp };
    // Writes the bytes that are through the line by now. With garbler, garbage goes in their
    // place: what a receiver at another rate makes of them.
    Result pump(int fd, Clock::time_point now, FaultInjector* garbler);

    // Set while the pty is full: wait for it to become writable.
    bool waitingForRoom() const { return blocked_; }
    // When the next byte is through; nullopt when idle or waiting for room.
    std::optional<Clock::time_point> nextWrite() const;
    // Call when the pty reported room.
    void roomAvailable() { blocked_ = false; }

private:
    std::vector<std::uint8_t> bytes_;
    std::vector<Clock::time_point> through_; // when each byte of bytes_ is through the line
    std::size_t head_ = 0;                   // bytes_ before head_ were written
    std::chrono::nanoseconds byteTime_;
    Clock::time_point lineFreeAt_{};
    std::uint64_t written_ = 0;
    bool blocked_ = false;
    std::vector<std::uint8_t> garbage_;
};

} // namespace tq37r::sim
