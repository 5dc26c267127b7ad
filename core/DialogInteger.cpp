#include "core/DialogInteger.h"

#include <limits>

#include "core/Blanks.h"

namespace tq37r {

std::optional<std::int32_t> parseDialogInteger(std::string_view text) {
    text = trimmedOfBlanks(text);
    std::size_t begin = 0;
    const std::size_t end = text.size();
    bool negative = false;
    if (begin < end && (text[begin] == '+' || text[begin] == '-')) {
        negative = text[begin] == '-';
        ++begin;
    }
    if (begin == end) {
        return std::nullopt;
    }
    // Accumulate as a magnitude so that INT32_MIN, whose magnitude exceeds INT32_MAX, still fits.
    const std::int64_t limit = negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
                                        : std::int64_t{std::numeric_limits<std::int32_t>::max()};
    std::int64_t magnitude = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

} // namespace tq37r
