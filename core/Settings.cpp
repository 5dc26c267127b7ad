#include "core/Settings.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "core/Blanks.h"
#include "core/FileReplacement.h"

namespace tq37r {
namespace {

constexpr std::string_view kFileName = "settings.ini";
// A settings file is a few lines; anything far larger is not one.
constexpr std::size_t kMaxSize = 64 * 1024;

} // namespace

Settings::Settings(std::filesystem::path folder) : path_(std::move(folder) / kFileName) {
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    std::size_t read = 0;
    while (std::getline(in, line) && (read += line.size() + 1) <= kMaxSize) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || line.starts_with('#')) {
            continue;
        }
        const std::string_view key = trimmedOfBlanks(std::string_view(line).substr(0, equals));
        std::string_view value = trimmedOfBlanks(std::string_view(line).substr(equals + 1));
        if (value.ends_with('\r')) {
            value.remove_suffix(1);
        }
        if (!key.empty()) {
            values_[std::string(key)] = std::string(value);
        }
    }
}

std::optional<std::string> Settings::get(std::string_view key) const {
    const auto found = values_.find(key);
    return found == values_.end() ? std::nullopt : std::optional(found->second);
}

void Settings::set(const std::string& key, const std::string& value) {
    if (value.find_first_of("\r\n") != std::string::npos || values_[key] == value) {
        return;
    }
    values_[key] = value;
    std::string text = "# tq37r-params remembers these between runs; delete the file to forget them.\n";
    for (const auto& [k, v] : values_) {
        text += k + " = " + v + "\n";
    }
    std::error_code error;
    std::filesystem::create_directories(path_.parent_path(), error);
    std::string why;
    replaceFile(path_.string(), text, why); // not kept: the tool starts as it always did next time
}

std::optional<Settings::Place> Settings::place(std::string_view key) const {
    const std::optional<std::string> text = get(key);
    if (!text) {
        return std::nullopt;
    }
    Place place;
    int* fields[] = {&place.x, &place.y, &place.width, &place.height};
    const char* at = text->data();
    const char* end = text->data() + text->size();
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        const auto [next, ec] = std::from_chars(at, end, *fields[i]);
        if (ec != std::errc{} || (i + 1 < std::size(fields) ? next == end || *next != ',' : next != end)) {
            return std::nullopt;
        }
        at = next + 1;
    }
    return place.width > 0 && place.height > 0 ? std::optional(place) : std::nullopt;
}

void Settings::setPlace(const std::string& key, const Place& place) {
    set(key, std::to_string(place.x) + "," + std::to_string(place.y) + "," + std::to_string(place.width) +
                 "," + std::to_string(place.height));
}

} // namespace tq37r
