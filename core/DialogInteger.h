#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tq37r {

// Reads an edit's text the way the dialog's integer exchange accepts it:
// optional blanks, an optional sign, decimal digits, optional blanks, and a
// value that fits a signed 32-bit integer. Anything else gives nullopt.
std::optional<std::int32_t> parseDialogInteger(std::string_view text);

} // namespace tq37r
