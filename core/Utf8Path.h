#pragma once

#include <filesystem>
#include <string>

namespace tq37r {

// Paths are UTF-8 inside; the file system gets them in its own encoding (UTF-16 on Windows).
inline std::filesystem::path pathFromUtf8(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

// And back. (path::string() is in the ANSI code page on Windows, and throws for what it lacks.)
inline std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace tq37r
