#pragma once

#include <array>
#include <cstdint>

namespace tq37r::sim {

// What the controller keeps in flash: everything an operator can set, nothing
// that only describes the current flight.
struct ControllerSettings {
    // Bytes in the order of the 0xEB read-back: Other, Height, three unused bytes, Heading, Pitch, Roll.
    std::array<std::uint8_t, 18> gainBlock1{5, 5, 0, 15, 1, 10, 0, 0, 0, 15, 45, 60, 35, 0, 30, 35, 0, 30};
    // Bytes in the order of the 0xED read-back: Y, then X.
    std::array<std::uint8_t, 6> gainBlock2{15, 1, 8, 15, 1, 8};
    std::uint16_t targetAltitude = 150;
    std::uint16_t circlingRadius = 100;
    std::uint8_t mixingMode = 0x00;
    bool autoReturn = false;

    friend bool operator==(const ControllerSettings&, const ControllerSettings&) = default;
};

} // namespace tq37r::sim
