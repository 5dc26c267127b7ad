#pragma once

#include <array>
#include <cstdint>

namespace tq37r {

// The rates the controller is set up at, fastest first: the window's baud list offers them in
// this order, and a search for the controller tries them in it.
inline constexpr std::array<std::uint32_t, 8> kBaudTable{115200, 57600, 56000, 38400,
                                                         19200,  14400, 9600,  4800};

} // namespace tq37r
