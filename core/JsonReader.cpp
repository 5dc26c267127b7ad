#include "core/JsonReader.h"

#include <charconv>
#include <cmath>

namespace tq37r {
namespace {

// Deeper than any line the journal writes: a hostile line must not exhaust the stack.
constexpr int kMaxDepth = 8;
// Room a journal line's objects and arrays (21 gains) mostly need, taken at once.
constexpr std::size_t kLikelyMembers = 16;
constexpr std::size_t kLikelyItems = 24;

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::optional<JsonValue> document() {
        std::optional<JsonValue> value = parseValue(0);
        skipBlanks();
        if (pos_ != text_.size()) {
            return std::nullopt;
        }
        return value;
    }

private:
    void skipBlanks() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r')) {
            ++pos_;
        }
    }
    bool take(char c) {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool takeWord(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) {
            return false;
        }
        pos_ += word.size();
        return true;
    }

    std::optional<JsonValue> parseValue(int depth) {
        skipBlanks();
        if (pos_ >= text_.size() || depth > kMaxDepth) {
            return std::nullopt;
        }
        switch (text_[pos_]) {
        case '{':
            return parseObject(depth);
        case '[':
            return parseArray(depth);
        case '"':
            if (std::optional<std::string> s = parseString()) {
                return JsonValue{std::move(*s)};
            }
            return std::nullopt;
        case 't':
            return takeWord("true") ? std::optional(JsonValue{true}) : std::nullopt;
        case 'f':
            return takeWord("false") ? std::optional(JsonValue{false}) : std::nullopt;
        case 'n':
            return takeWord("null") ? std::optional(JsonValue{nullptr}) : std::nullopt;
        default:
            return parseNumber();
        }
    }

    std::optional<JsonValue> parseObject(int depth) {
        ++pos_;
        JsonValue::Object members;
        members.reserve(kLikelyMembers);
        if (take('}')) {
            return JsonValue{std::move(members)};
        }
        do {
            skipBlanks();
            std::optional<std::string> name = parseString();
            if (!name || !take(':')) {
                return std::nullopt;
            }
            std::optional<JsonValue> value = parseValue(depth + 1);
            if (!value) {
                return std::nullopt;
            }
            members.emplace_back(std::move(*name), std::move(*value));
        } while (take(','));
        return take('}') ? std::optional(JsonValue{std::move(members)}) : std::nullopt;
    }

    std::optional<JsonValue> parseArray(int depth) {
        ++pos_;
        JsonValue::Array items;
        items.reserve(kLikelyItems);
        if (take(']')) {
            return JsonValue{std::move(items)};
        }
        do {
            std::optional<JsonValue> value = parseValue(depth + 1);
            if (!value) {
                return std::nullopt;
            }
            items.push_back(std::move(*value));
        } while (take(','));
        return take(']') ? std::optional(JsonValue{std::move(items)}) : std::nullopt;
    }

    std::optional<JsonValue> parseNumber() {
        const char* begin = text_.data() + pos_;
        const char* last = text_.data() + text_.size();
        // Whole numbers, all the journal writes, the quick way; a fraction or exponent the full way.
        std::int64_t whole = 0;
        const auto [wholeEnd, wholeEc] = std::from_chars(begin, last, whole);
        if (wholeEc == std::errc{} &&
            (wholeEnd == last || std::string_view(".eE").find(*wholeEnd) == std::string_view::npos)) {
            pos_ += static_cast<std::size_t>(wholeEnd - begin);
            return JsonValue{static_cast<double>(whole)};
        }
        double number = 0;
        const auto [end, ec] = std::from_chars(begin, last, number);
        if (ec != std::errc{} || !std::isfinite(number)) {
            return std::nullopt;
        }
        pos_ += static_cast<std::size_t>(end - begin);
        return JsonValue{number};
    }

    static void appendUtf8(std::string& out, std::uint32_t c) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }

    std::optional<std::uint32_t> hex4() {
        std::uint32_t value = 0;
        if (pos_ + 4 > text_.size() ||
            std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, value, 16).ptr !=
                text_.data() + pos_ + 4) {
            return std::nullopt;
        }
        pos_ += 4;
        return value;
    }

    // \uXXXX, a surrogate pair as one character; a lone surrogate becomes U+FFFD.
    bool parseEscapedCharacter(std::string& out) {
        std::optional<std::uint32_t> c = hex4();
        if (!c) {
            return false;
        }
        if (*c >= 0xD800 && *c < 0xDC00 && takeWord("\\u")) {
            const std::optional<std::uint32_t> low = hex4();
            if (!low) {
                return false;
            }
            c = *low >= 0xDC00 && *low < 0xE000 ? 0x10000 + ((*c - 0xD800) << 10) + (*low - 0xDC00) : 0xFFFD;
        } else if (*c >= 0xD800 && *c < 0xE000) {
            c = 0xFFFD;
        }
        appendUtf8(out, *c);
        return true;
    }

    std::optional<std::string> parseString() {
        if (pos_ >= text_.size() || text_[pos_] != '"') {
            return std::nullopt;
        }
        ++pos_;
        std::string out;
        while (pos_ < text_.size()) {
            // Plain characters a run at a time: most strings have no escape at all.
            std::size_t plain = pos_;
            while (plain < text_.size() && text_[plain] != '"' && text_[plain] != '\\' &&
                   static_cast<unsigned char>(text_[plain]) >= 0x20) {
                ++plain;
            }
            out.append(text_.substr(pos_, plain - pos_));
            pos_ = plain;
            if (pos_ >= text_.size()) {
                return std::nullopt;
            }
            const char c = text_[pos_++];
            if (c == '"') {
                return out;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return std::nullopt;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) {
                return std::nullopt;
            }
            const char e = text_[pos_++];
            constexpr std::string_view kEscapes = "\"\\/bfnrt";
            constexpr std::string_view kMeanings = "\"\\/\b\f\n\r\t";
            if (const std::size_t at = kEscapes.find(e); at != std::string_view::npos) {
                out += kMeanings[at];
            } else if (e != 'u' || !parseEscapedCharacter(out)) {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

const JsonValue* JsonValue::member(std::string_view name) const {
    if (const auto* members = std::get_if<Object>(&value)) {
        for (const Member& m : *members) {
            if (m.first == name) {
                return &m.second;
            }
        }
    }
    return nullptr;
}

std::optional<std::int64_t> JsonValue::integer(std::int64_t min, std::int64_t max) const {
    const auto* number = std::get_if<double>(&value);
    if (number == nullptr || *number < static_cast<double>(min) || *number > static_cast<double>(max) ||
        *number != std::floor(*number)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(*number);
}

std::optional<JsonValue> parseJson(std::string_view text) {
    return Parser(text).document();
}

} // namespace tq37r
