#pragma once

#include <windows.h>

#include <string>

namespace tq37r {

// A window's text, as the system holds it: a control's caption or contents, a box's title.
inline std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace tq37r
