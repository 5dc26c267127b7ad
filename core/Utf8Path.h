#pragma once

#include <filesystem>
#include <string>

namespace tq37r {

// Paths are UTF-8 inside; the file system gets them in its own encoding (UTF-16 on Windows).
inline std::filesystem::path pathFromUtf8(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

} // namespace tq37r
