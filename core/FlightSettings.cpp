#include "core/FlightSettings.h"

#include <algorithm>
#include <cstdio>

#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace tq37r {

std::vector<std::string> mixingModeItems() {
    std::vector<std::string> items;
    const std::span<const std::string_view> modes = paramDialogComboItems(id::kMixingModeList);
    for (std::size_t i = 0; i < std::min(modes.size(), kMixingModeGlosses.size()); ++i) {
        items.push_back(std::string(modes[i]) + " \u2014 " + std::string(kMixingModeGlosses[i]));
    }
    return items;
}

std::string withoutMnemonic(std::string_view text) {
    std::string plain(text);
    std::erase(plain, '&');
    return plain;
}

std::string flightModeQuestion(FlightMode mode) {
    switch (mode) {
    case FlightMode::Remote:
        return "Hand the aircraft to the remote control (flight mode remote)?";
    case FlightMode::Stabilised:
        return "Fly the aircraft stabilised (flight mode stabilised)?";
    case FlightMode::Auto:
        return "Let the controller fly the aircraft on its own (flight mode automatic)?";
    }
    return {};
}

std::string taskQuestion(Task task) {
    switch (task) {
    case Task::Return:
        return "Send the aircraft home (task return)?";
    case Task::Circle:
        return "Make the aircraft circle where it is (task circle)?";
    case Task::TakeOff:
        return "Make the aircraft take off (task take-off)?";
    case Task::Cancel:
        return "Cancel the aircraft's task?";
    }
    return {};
}

std::string gyroText(const reply::GyroResult& result) {
    if (!result.passed) {
        return "The gyro self-test failed.";
    }
    char text[64];
    std::snprintf(text, sizeof text, "X %.1f, Y %.1f, Z %.1f", result.x, result.y, result.z);
    return text;
}

} // namespace tq37r
