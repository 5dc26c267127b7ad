// Arbitrary edit text through the dialog's integer parsing, checked against the C
// library's strtoll: both must accept the same texts with the same values, and
// every accepted value must read back from its own decimal text.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "core/DialogInteger.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Blanks are spaces and tabs only; strtoll would also skip newlines and other
// white space, and stops at a NUL, so texts holding those are refused up front.
std::optional<std::int32_t> referenceParse(std::string_view text) {
    for (char c : text) {
        if (c == '\0' || c == '\n' || c == '\v' || c == '\f' || c == '\r') {
            return std::nullopt;
        }
    }
    const std::string copy(text);
    const char* start = copy.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(start, &end, 10);
    if (end == start || errno == ERANGE) {
        return std::nullopt;
    }
    for (const char* rest = end; *rest != '\0'; ++rest) {
        if (!isBlank(*rest)) {
            return std::nullopt;
        }
    }
    if (value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> parsed = tq37r::parseDialogInteger(text);
    require(parsed == referenceParse(text));
    if (parsed) {
        require(tq37r::parseDialogInteger(std::to_string(*parsed)) == parsed);
    }
    return 0;
}
