#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tq37r {

// Indexed by the baud list's selection; matches the list's entries one for one.
inline constexpr std::array<std::uint32_t, 8> kBaudTable{115200, 57600, 56000, 38400,
                                                         19200,  14400, 9600,  4800};

// The rate to open with: the table entry of a selected item, else the typed text read as a
// positive whole number. nullopt when neither gives a rate.
std::optional<std::uint32_t> chosenBaudRate(int selectedIndex, std::string_view typedText);

} // namespace tq37r
