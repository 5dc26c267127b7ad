#pragma once

#include <cstdint>
#include <optional>

namespace tq37r {

// The quiet background tint of a gain's edit: what the grid's value is to the controller.
enum class GainTint {
    None,     // not known: never read from the controller
    InFlash,  // as in the controller's flash (read back, or saved)
    Changed,  // changed here, not sent
    Unsaved,  // sent and acknowledged, not saved to flash
    Mismatch, // saved, but the controller reads something else
};

struct TintColour {
    std::uint8_t red, green, blue;
};

// Light enough for black digits on any of them; none for an untinted edit.
constexpr std::optional<TintColour> tintColour(GainTint tint) {
    switch (tint) {
    case GainTint::InFlash:
        return TintColour{0xe2, 0xf3, 0xe0}; // green
    case GainTint::Changed:
        return TintColour{0xfc, 0xf1, 0xc6}; // yellow
    case GainTint::Unsaved:
        return TintColour{0xdc, 0xe8, 0xfa}; // blue
    case GainTint::Mismatch:
        return TintColour{0xf8, 0xd7, 0xd5}; // red
    case GainTint::None:
        break;
    }
    return std::nullopt;
}

} // namespace tq37r
