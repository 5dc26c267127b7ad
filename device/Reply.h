#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <variant>

#include "device/StatusMessage.h"

namespace tq37r {

namespace reply {

// No visible effect: an unknown code, 0xF2/0xF3, a failed self-test, a frame too short for its code.
struct Ignored {
    friend bool operator==(const Ignored&, const Ignored&) = default;
};

struct GyroResult { // 0x81
    double x = 0, y = 0, z = 0;
    StatusMessage status;
};

struct FirmwareVersion { // 0x93
    unsigned model = 0;
    double version = 0;
    StatusMessage status;
};

struct FlightParams { // 0xBB
    std::int32_t targetAltitude = 0;
    std::int32_t circlingRadius = 0;
    StatusMessage status;
};

struct MixingMode { // 0xDD; item -1 leaves the list's selection as it is
    int item = -1;
    StatusMessage status;
};

struct GainBlock1 { // 0xEB
    std::int32_t altitudeCompensation = 0, speedControl = 0, otherThird = 0;
    std::int32_t heightP = 0, heightI = 0, heightD = 0;
    std::int32_t headingLockingCoef = 0, headingLockingContinue = 0, headingStabilityCoef = 0;
    std::int32_t pitchLevelCoef = 0, pitchStabilityContinue = 0, pitchStabilityCoef = 0;
    std::int32_t rollLevelCoef = 0, rollStabilityContinue = 0, rollStabilityCoef = 0;
    StatusMessage status;
};

struct GainBlock2 { // 0xED
    std::int32_t yP = 0, yI = 0, yD = 0;
    std::int32_t xP = 0, xI = 0, xD = 0;
    StatusMessage status;
};

struct StateReport {                  // 0xF1
    std::int32_t flightModeState = 0; // 0..3
    std::int32_t taskState = 0;       // 0..3, or 255
};

struct Acknowledgement { // 0xFA
    std::uint8_t acknowledgedCode = 0;
    std::optional<StatusMessage> status; // none for codes the tool does not announce
};

} // namespace reply

using Reply = std::variant<reply::Ignored, reply::GyroResult, reply::FirmwareVersion, reply::FlightParams,
                           reply::MixingMode, reply::GainBlock1, reply::GainBlock2, reply::StateReport,
                           reply::Acknowledgement>;

// Turns a frame that passed its trailer and checksum test into what it means.
std::optional<StatusMessage> acknowledgementStatus(std::uint8_t acknowledgedCode);
Reply decodeReply(std::span<const std::uint8_t> frameBytes);

} // namespace tq37r
