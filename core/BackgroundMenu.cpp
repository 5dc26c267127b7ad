#include "core/BackgroundMenu.h"

namespace tq37r {

bool isGainFileDrop(std::span<const std::string> paths) {
    if (paths.size() != 1) {
        return false;
    }
    const std::string& path = paths.front();
    const std::size_t suffix = kGainFiles.extension.size() + 1;
    if (path.size() <= suffix || path[path.size() - suffix] != '.') {
        return false;
    }
    for (std::size_t i = 0; i < kGainFiles.extension.size(); ++i) {
        const char c = path[path.size() - kGainFiles.extension.size() + i];
        if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != kGainFiles.extension[i]) {
            return false;
        }
    }
    return true;
}

} // namespace tq37r
