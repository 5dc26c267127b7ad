#include "serial/OsErrorText.h"

#include <windows.h>

#include <string_view>

#include "serial/win32/Utf16.h"

namespace tq37r {

std::string osErrorText(int osError) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(osError), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0) {
        return "system error " + std::to_string(osError);
    }
    // The system's messages are sentences ending in a full stop and a line end; here each is a
    // clause after a colon, as strerror's are.
    std::wstring_view message(text, length);
    while (!message.empty() && std::wstring_view(L". \r\n").find(message.back()) != std::wstring_view::npos) {
        message.remove_suffix(1);
    }
    std::string words = toUtf8(message);
    ::LocalFree(text);
    return words;
}

} // namespace tq37r
