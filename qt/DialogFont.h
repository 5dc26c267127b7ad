#pragma once

#include <QFont>

#include <string_view>

namespace tq37r {

// The template's font when this machine has it; otherwise the first installed
// font that carries simplified Chinese, so the Chinese captions and the
// full-width punctuation never render as boxes.
QFont dialogFont(std::string_view face, int pointSize);

} // namespace tq37r
