#pragma once

#include <string>
#include <string_view>

namespace tq37r {

// Texts are UTF-8 everywhere inside; Win32 calls take and give UTF-16.
std::wstring toUtf16(std::string_view utf8);
std::string toUtf8(std::wstring_view utf16);

} // namespace tq37r
