#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/Reply.h"
#include "device/Requests.h"

namespace tq37r {

// What the Flight settings window shows: the controller's last answers to the requests the
// dialog keeps on hidden controls, as the hidden controls took them.
struct FlightSettingsState {
    std::optional<std::int32_t> targetAltitude; // from the last flight settings read
    std::optional<std::int32_t> circlingRadius;
    std::optional<int> mixingItem;         // the mixing-mode list's item, 0 to 3
    std::optional<reply::GyroResult> gyro; // the last self-test, passed or failed
};

// The mixing modes in words, by list item: bit 0 of the mode is elevator and aileron mixing,
// bit 7 navigation with aileron and rudder.
inline constexpr std::array<std::string_view, 4> kMixingModeGlosses{
    "no mixing; navigation with the ailerons",
    "no mixing; navigation with the ailerons and the rudder",
    "elevator and ailerons mixed; navigation with the ailerons",
    "elevator and ailerons mixed; navigation with the ailerons and the rudder",
};

namespace text {
inline constexpr std::string_view kFlightSettingsTitle = "Flight settings";
// The window's words; '&' marks the key that reaches a control, in either face.
inline constexpr std::string_view kTargetAltitude = "&Target altitude";
inline constexpr std::string_view kCirclingRadius = "C&ircling radius";
inline constexpr std::string_view kSetAltitude = "Set altitude";
inline constexpr std::string_view kSetRadius = "Set radius";
inline constexpr std::string_view kReadBoth = "&Read both";
inline constexpr std::string_view kMixingMode = "&Mixing mode";
inline constexpr std::string_view kReadMixing = "Read mode";
inline constexpr std::string_view kSetMixing = "Set mode";
inline constexpr std::string_view kGyroSelfTest = "&Gyro self-test";
inline constexpr std::string_view kAutomaticReturn = "Automatic return";
inline constexpr std::string_view kOn = "On";
inline constexpr std::string_view kOff = "Off";
inline constexpr std::string_view kFlightModes = "Flight mode (remote, stabilised, automatic)";
inline constexpr std::string_view kTasks = "Task (return, circle, take-off, cancel)";
inline constexpr std::string_view kAutoReturnOffIsVersionQuery =
    "Off is the same frame as the firmware version query (92 00): the controller also answers with its "
    "version.";
} // namespace text

// The mixing-mode list's items as the window offers them: the template's own with its gloss,
// "<item> — <gloss>".
std::vector<std::string> mixingModeItems();
// A text without its '&' mark, as a screen reader names the control.
std::string withoutMnemonic(std::string_view text);

// The question asked before a command that flies the aircraft, naming what it will do.
std::string flightModeQuestion(FlightMode mode);
std::string taskQuestion(Task task);
// A self-test's result in words: "X 0.5, Y -1.0, Z 12.7", or that it failed.
std::string gyroText(const reply::GyroResult& result);

} // namespace tq37r
