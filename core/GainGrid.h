#pragma once

#include <array>
#include <string_view>

#include "core/GainFile.h"
#include "device/Requests.h"
#include "res/ControlIds.h"

namespace tq37r {

// Where each gain of kGainNames (same grid order) sits in the window, what a person calls
// it, and the row that sends it.
struct GridGain {
    int editId;
    std::string_view label;
    GainGroup group;
};

inline constexpr std::array<GridGain, kGainCount> kGridGains{{
    {id::kPitchLevelCoef, "Pitch Level Coefficient", GainGroup::Pitch},
    {id::kPitchStabilityContinue, "Pitch Stability Continue", GainGroup::Pitch},
    {id::kPitchStabilityCoef, "Pitch Stability Coefficient", GainGroup::Pitch},
    {id::kRollLevelCoef, "Roll Level Coefficient", GainGroup::Roll},
    {id::kRollStabilityContinue, "Roll Stability Continue", GainGroup::Roll},
    {id::kRollStabilityCoef, "Roll Stability Coefficient", GainGroup::Roll},
    {id::kHeadingLockingCoef, "Heading Locking Coefficient", GainGroup::Heading},
    {id::kHeadingLockingContinue, "Heading Locking Continue", GainGroup::Heading},
    {id::kHeadingStabilityCoef, "Heading Stability Coefficient", GainGroup::Heading},
    {id::kAltitudeCompensation, "Altitude Compensation", GainGroup::Other},
    {id::kSpeedControl, "Speed Control", GainGroup::Other},
    {id::kOtherThird, "Other Control third gain", GainGroup::Other},
    {id::kXP, "X P", GainGroup::X},
    {id::kXI, "X I", GainGroup::X},
    {id::kXD, "X D", GainGroup::X},
    {id::kYP, "Y P", GainGroup::Y},
    {id::kYI, "Y I", GainGroup::Y},
    {id::kYD, "Y D", GainGroup::Y},
    {id::kHeightP, "Height P", GainGroup::Height},
    {id::kHeightI, "Height I", GainGroup::Height},
    {id::kHeightD, "Height D", GainGroup::Height},
}};

// The grid index of the first of a row's three gains (rows are consecutive in grid order).
constexpr std::size_t firstGainOf(GainGroup group) {
    for (std::size_t i = 0; i < kGridGains.size(); ++i) {
        if (kGridGains[i].group == group) {
            return i;
        }
    }
    return 0;
}

} // namespace tq37r
