#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tq37r {

// The rates the controller is set up at, fastest first: the window's baud list offers them in
// this order, and a search for the controller tries them in it.
inline constexpr std::array<std::uint32_t, 8> kBaudTable{115200, 57600, 56000, 38400,
                                                         19200,  14400, 9600,  4800};

// The rate the window's list selects at start, and the command line's and simulator's default.
inline constexpr std::size_t kDefaultBaudIndex = 4;
inline constexpr std::uint32_t kDefaultBaudRate = kBaudTable[kDefaultBaudIndex];

} // namespace tq37r
