#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tq37r::sim {

// Bytes from the tool, each taken as arrived only once a serial line at the given baud has
// carried it. The pty hands over a whole request at once; a real controller has its last byte
// only after the request's line time, and cannot answer sooner.
class PacedInput {
public:
    using Clock = std::chrono::steady_clock;

    // baud 0: bytes arrive as soon as they are read.
    explicit PacedInput(std::uint32_t baud);

    // Bytes read from the pty at now; they follow any still on the line.
    void add(std::span<const std::uint8_t> bytes, Clock::time_point now);
    struct Arrived {
        std::span<const std::uint8_t> bytes; // oldest first; valid until the next call
        Clock::time_point firstAt;           // when bytes[0] was through; each next one a byte time later
        std::chrono::nanoseconds byteTime;
        Clock::time_point at(std::size_t i) const {
            return firstAt + byteTime * static_cast<std::int64_t>(i);
        }
    };
    // The bytes that have arrived by now, with when they did: an answer is timed from then, not
    // from when this process got round to them.
    Arrived take(Clock::time_point now);
    // When the next byte arrives; nullopt when none is on the line.
    std::optional<Clock::time_point> nextArrival() const;

private:
    void dropTaken();

    std::vector<std::uint8_t> bytes_;
    std::size_t head_ = 0; // bytes_ before head_ were taken
    std::chrono::nanoseconds byteTime_;
    Clock::time_point headArrives_{}; // when bytes_[head_] is through
    Clock::time_point lineFreeAt_{};  // when the last byte added is through
};

} // namespace tq37r::sim
