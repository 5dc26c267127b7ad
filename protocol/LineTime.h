#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace tq37r {

// A byte on a serial line: start bit, 8 data bits, stop bit.
inline constexpr std::uint32_t kLineBitsPerByte = 10;

// How long byteCount bytes take on a serial line at baudRate. Zero at rate 0, which stands for a
// line without pacing.
constexpr std::chrono::nanoseconds lineTime(std::size_t byteCount, std::uint32_t baudRate) {
    return std::chrono::nanoseconds(baudRate == 0 ? 0
                                                  : static_cast<std::int64_t>(byteCount) * kLineBitsPerByte *
                                                        1'000'000'000LL / baudRate);
}

} // namespace tq37r
