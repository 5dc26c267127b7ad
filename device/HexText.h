#pragma once

#include <cstdint>
#include <string>

namespace tq37r {

// A byte as two upper-case hex digits, "4F", as the line log and every message show bytes.
inline std::string hexByte(std::uint8_t byte) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

} // namespace tq37r
