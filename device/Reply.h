#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "device/GainTable.h"
#include "device/StatusMessage.h"

namespace tq37r {

namespace reply {

// No visible effect: an unknown code, 0xF2/0xF3, a frame too short for its code.
struct Ignored {
    friend bool operator==(const Ignored&, const Ignored&) = default;
};

struct GyroResult { // 0x81; a failed test carries no reading, and the window shows nothing for it
    bool passed = false;
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

struct MixingMode { // 0xDD; item -1 (a byte that names none) leaves the list's selection as it is
    int item = -1;
    std::uint8_t modeByte = 0;
    StatusMessage status;
};

struct GainReadBack { // 0xEB and 0xED
    GainBlock block = GainBlock::First;
    Gains values{}; // grid order; only the gains of this block's rows are filled
    StatusMessage status;

    bool carries(std::size_t gain) const { return rowOfGain(gain).block == block; }
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

using Reply =
    std::variant<reply::Ignored, reply::GyroResult, reply::FirmwareVersion, reply::FlightParams,
                 reply::MixingMode, reply::GainReadBack, reply::StateReport, reply::Acknowledgement>;

// Payload bytes a reply of this code carries, as its layout reads them; 0 for a code the tool
// does not decode. A shorter frame is ignored rather than decoded from whatever an earlier
// frame left behind.
std::size_t replyPayloadSize(std::uint8_t replyCode);
// Turns a frame that passed its trailer and checksum test into what it means.
Reply decodeReply(std::span<const std::uint8_t> frameBytes);
// What an acknowledgement of this request code acknowledges, for a person: "Pitch control", "save".
std::string acknowledgedName(std::uint8_t requestCode);
// How the window names a firmware version in a gain file's header: "TQ-37 firmware 1.20".
std::string firmwareText(const reply::FirmwareVersion& version);

} // namespace tq37r
