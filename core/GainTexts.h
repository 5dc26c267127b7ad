#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/GainTint.h"
#include "session/GainKnowledge.h"
#include "session/SaveCheck.h"

namespace tq37r {

// What the window says about the gains' standing with the controller.

// A gain's tint: what the grid shows (nullopt: no whole number) against what this connection
// knows of the controller; `touched` when the grid's value was typed, loaded or restored here.
GainTint gainTint(const GainKnowledge& knowledge, std::size_t gain, std::optional<std::int32_t> shown,
                  bool touched);
// The tooltip of a gain edit with its tint.
std::string gainToolTip(const GainKnowledge& knowledge, std::size_t gain, GainTint tint);
// What a screen reader says of a gain's edit: its row and its name in the row, "Pitch Control,
// Level Coefficient", "X, P".
std::string gainAccessibleName(std::size_t gain);
// "2 gains are changed here and not sent, and 1 is sent but not saved to flash."
std::string unsavedWorkQuestion(std::size_t changed, std::size_t unsaved);
// What the status line says of a save's read-back: "Saved, but Pitch Level Coefficient reads 44,
// not 40." and how many more differ; that it got no answer; "" when all agree.
std::string saveVerdictText(const SaveVerdict& verdict);

} // namespace tq37r
