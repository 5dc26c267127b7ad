#pragma once

#include <string>
#include <string_view>

namespace tq37r {

// A JSON string literal for UTF-8 text, quotes included. Bytes that are not well-formed UTF-8
// (a file name or a gain file line can hold any) become U+FFFD, so the document stays valid.
std::string jsonString(std::string_view text);

} // namespace tq37r
