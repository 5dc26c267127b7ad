#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/GainTint.h"

namespace tq37r {

// What the window says about the gains' standing with the controller.

// The tooltip of a gain edit with this tint.
std::string gainToolTip(GainTint tint, std::optional<std::uint8_t> controllerValue,
                        std::optional<std::uint8_t> savedValue);
// "2 gains are changed here and not sent, and 1 is sent but not saved to flash."
std::string unsavedWorkQuestion(std::size_t changed, std::size_t unsaved);
// "Saved, but Pitch Level Coefficient reads 44, not 40." and how many more differ.
std::string saveMismatchText(std::string_view firstLabel, std::uint8_t reads, std::uint8_t saved,
                             std::size_t mismatches);

} // namespace tq37r
