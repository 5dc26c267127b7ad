#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "device/BaudTable.h"

namespace tq37r {

// The rate to open with: the entry of kBaudTable (which matches the baud list's entries one
// for one) of a selected item, else the typed text read as a positive whole number. nullopt
// when neither gives a rate.
std::optional<std::uint32_t> chosenBaudRate(int selectedIndex, std::string_view typedText);

} // namespace tq37r
