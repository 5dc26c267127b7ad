#include "device/RequestText.h"

#include <array>
#include <cstdio>

#include "device/Codes.h"

namespace tq37r {
namespace {

constexpr std::array<const char*, 3> kFlightModeNames{"remote", "stabilised", "auto"};

std::string taskName(std::uint8_t task) {
    constexpr std::array<const char*, 3> kNames{"return", "circle", "take-off"};
    if (task < kNames.size()) {
        return kNames[task];
    }
    return task == static_cast<std::uint8_t>(Task::Cancel) ? "cancel" : std::to_string(task);
}

std::string word(const Request& r) {
    return std::to_string(r.payloadSize >= 2 ? r.payloadBytes[0] * 256 + r.payloadBytes[1] : 0);
}

} // namespace

std::string describeRequest(const Request& r) {
    const std::uint8_t first = r.payloadSize > 0 ? r.payloadBytes[0] : 0;
    if (const std::optional<GainGroup> group = groupOfSetCode(r.code)) {
        std::string text = "set " + std::string(rowOf(*group).name);
        for (const std::uint8_t value : r.payload()) {
            text += " " + std::to_string(value);
        }
        return text;
    }
    switch (r.code) {
    case code::kReadGainBlock1:
        return "read gains, first block";
    case code::kReadGainBlock2:
        return "read gains, second block";
    case code::kReadFlightParams:
        return "read flight settings";
    case code::kReadMixingMode:
        return "read mixing mode";
    case code::kSetMixingMode:
        return "set mixing mode " + std::to_string(mixingModeItem(first) + 1);
    case code::kSetTargetAltitude:
        return "set target altitude " + word(r);
    case code::kSetCirclingRadius:
        return "set circling radius " + word(r);
    case code::kSaveConfiguration:
        return "save to flash";
    case code::kSetFlightMode:
        return "set flight mode " +
               std::string(first < kFlightModeNames.size() ? kFlightModeNames[first] : std::to_string(first));
    case code::kSetTask:
        return "set task " + taskName(first);
    case code::kGyroSelfTest:
        return "gyro self-test";
    case code::kAutoReturn:
        return first == 1 ? "automatic return on" : "automatic return off, firmware version";
    default:
        break;
    }
    char text[16];
    std::snprintf(text, sizeof text, "request %02X", r.code);
    return text;
}

} // namespace tq37r
