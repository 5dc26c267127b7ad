#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace tq37r {

// How long byteCount bytes take on a serial line at baudRate: 10 bits a byte (start, 8 data,
// stop). Zero at rate 0, which stands for a line without pacing.
constexpr std::chrono::nanoseconds lineTime(std::size_t byteCount, std::uint32_t baudRate) {
    return std::chrono::nanoseconds(
        baudRate == 0 ? 0 : static_cast<std::int64_t>(byteCount) * 10'000'000'000LL / baudRate);
}

} // namespace tq37r
