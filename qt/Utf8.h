#pragma once

#include <QString>

#include <string_view>

namespace tq37r {

// The core's texts are UTF-8; Qt's are UTF-16.
inline QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace tq37r
