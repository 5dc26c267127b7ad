#pragma once

#include <array>
#include <cstdint>

#include "device/GainTable.h"

namespace tq37r::sim {

// What the controller keeps in flash: everything an operator can set, nothing
// that only describes the current flight.
struct ControllerSettings {
    // The gains as the controller keeps them: in the byte order of the 0xEB and 0xED read-backs.
    std::array<std::uint8_t, 18> gainBlock1 = readBackPayload<GainBlock::First>(defaultGains());
    std::array<std::uint8_t, 6> gainBlock2 = readBackPayload<GainBlock::Second>(defaultGains());
    std::uint16_t targetAltitude = 150;
    std::uint16_t circlingRadius = 100;
    std::uint8_t mixingMode = 0x00;
    bool autoReturn = false;

    friend bool operator==(const ControllerSettings&, const ControllerSettings&) = default;
};

} // namespace tq37r::sim
