#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/GainTable.h"

namespace tq37r {

enum class FlightMode : std::uint8_t { Remote = 0, Stabilised = 1, Auto = 2 };
enum class Task : std::uint8_t { Return = 0, Circle = 1, TakeOff = 2, Cancel = 255 };

// The byte sent for a mixing-mode list item (0..3), and the item a received byte selects.
std::uint8_t mixingModeByte(int item);
// -1 when the byte names no item.
int mixingModeItem(std::uint8_t modeByte);

// What the controller sends back for a request.
struct Answer {
    enum class Kind : std::uint8_t { None, Reply, Acknowledgement };
    Kind kind = Kind::None;
    std::uint8_t code = 0; // the reply's code, or the request code the acknowledgement names

    static constexpr Answer none() { return {}; }
    static constexpr Answer reply(std::uint8_t replyCode) { return {Kind::Reply, replyCode}; }
    static constexpr Answer acknowledgement(std::uint8_t requestCode) {
        return {Kind::Acknowledgement, requestCode};
    }

    // Whether a checked frame is this answer.
    bool answeredBy(std::span<const std::uint8_t> frameBytes) const;
    friend bool operator==(const Answer&, const Answer&) = default;
};

// One request as the controller takes it: its code, up to three payload bytes, and the
// answer it brings. Assembled into a frame only when it is sent.
struct Request {
    std::uint8_t code = 0;
    std::array<std::uint8_t, 3> payloadBytes{};
    std::uint8_t payloadSize = 0;
    Answer answer;

    std::span<const std::uint8_t> payload() const { return {payloadBytes.data(), payloadSize}; }
};

// Gains go out as their low 8 bits, altitude and radius as 16 bits high byte first.
namespace request {
// After the first gain read the controller takes the second only this much later.
inline constexpr std::chrono::milliseconds kReadPairPause{100};

Request setGainRow(GainGroup group, std::int32_t first, std::int32_t second, std::int32_t third);
Request setTargetAltitude(std::int32_t targetAltitude);
Request setCirclingRadius(std::int32_t circlingRadius);
Request readFlightParams();
Request readMixingMode();
Request setMixingMode(int item);
Request saveConfiguration();
// The controller shows the mode it took in its next state report.
Request setFlightMode(FlightMode mode);
Request setTask(Task task);
Request gyroSelfTest();
Request autoReturnOn();
// 92 00 switches automatic return off, and the controller also answers with its firmware
// version: one frame, awaited as the one or the other.
Request autoReturnOff();
Request firmwareVersion();
Request readGainBlock(GainBlock block);
} // namespace request

} // namespace tq37r
