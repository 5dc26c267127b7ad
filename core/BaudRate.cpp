#include "core/BaudRate.h"

#include "core/DialogInteger.h"

namespace tq37r {

std::optional<std::uint32_t> chosenBaudRate(int selectedIndex, std::string_view typedText) {
    if (selectedIndex >= 0 && static_cast<std::size_t>(selectedIndex) < kBaudTable.size()) {
        return kBaudTable[static_cast<std::size_t>(selectedIndex)];
    }
    const auto typed = parseDialogInteger(typedText);
    if (!typed || *typed <= 0) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*typed);
}

} // namespace tq37r
