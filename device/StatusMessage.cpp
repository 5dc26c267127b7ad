#include "device/StatusMessage.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace tq37r {

StatusMessage::StatusMessage(std::string_view text, int countdown) : countdown_(countdown) {
    length_ = std::min(text.size(), text_.size() - 1);
    std::copy_n(text.begin(), length_, text_.begin());
}

StatusMessage StatusMessage::formatted(int countdown, const char* format, ...) {
    StatusMessage message;
    message.countdown_ = countdown;
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(message.text_.data(), message.text_.size(), format, args);
    va_end(args);
    message.length_ = written < 0 ? 0 : std::min(static_cast<std::size_t>(written), message.text_.size() - 1);
    return message;
}

} // namespace tq37r
