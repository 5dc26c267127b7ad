#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace tq37r {

// A JSON value as the tuning history reads one: enough of JSON for its own lines, and safe on
// any bytes (a torn line, a line from a newer version, a file that is no journal at all).
struct JsonValue {
    // A member is a type of its own, not a std::pair: clang will not form a pair of an
    // incomplete type.
    struct Member;
    using Array = std::vector<JsonValue>;
    using Object = std::vector<Member>;
    std::variant<std::nullptr_t, bool, double, std::string, Array, Object> value;

    // A member of an object, nullptr when there is none (or this is no object).
    const JsonValue* member(std::string_view name) const;
    const std::string* string() const { return std::get_if<std::string>(&value); }
    const Array* array() const { return std::get_if<Array>(&value); }
    // A whole number within [min, max], nullopt for anything else.
    std::optional<std::int64_t> integer(std::int64_t min, std::int64_t max) const;
};

struct JsonValue::Member {
    Member(std::string name, JsonValue value) : first(std::move(name)), second(std::move(value)) {}
    std::string first;
    JsonValue second;
};

// One JSON text, whole: nullopt when it is not valid JSON, nests deeper than a journal line
// ever does, or has anything but blanks after the value.
std::optional<JsonValue> parseJson(std::string_view text);

} // namespace tq37r
