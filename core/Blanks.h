#pragma once

#include <string_view>

namespace tq37r {

// Spaces and tabs, which an edit's text and a gain file's line may have around a value.
constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

constexpr std::string_view trimmedOfBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace tq37r
