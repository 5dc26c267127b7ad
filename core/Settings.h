#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tq37r {

// What the window remembers between runs, as "key = value" lines in settings.ini of the data
// folder: the port and rate that last opened, where its windows stood, the folder of the last
// gain file. A missing or damaged file is no settings at all: the tool starts as it always did.
// Each change replaces the file whole.
class Settings {
public:
    explicit Settings(std::filesystem::path folder);

    std::optional<std::string> get(std::string_view key) const;
    // Stores the value; one that holds a line break is not kept.
    void set(const std::string& key, const std::string& value);

    // A window's place and size, "x,y,width,height", as the faces keep them.
    struct Place {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };
    std::optional<Place> place(std::string_view key) const;
    void setPlace(const std::string& key, const Place& place);

private:
    std::filesystem::path path_;
    std::map<std::string, std::string, std::less<>> values_;
};

// The windows whose places are kept, by their keys.
namespace place {
inline constexpr const char* kDialog = "window.dialog";
inline constexpr const char* kHistory = "window.history";
inline constexpr const char* kFlightSettings = "window.flight-settings";
inline constexpr const char* kLineLog = "window.line-log";
} // namespace place

} // namespace tq37r
