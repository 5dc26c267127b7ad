#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "core/ParamFields.h"
#include "res/ControlIds.h"

namespace tq37r {

using ParamField = std::int32_t ParamFields::*;

struct IntegerBinding {
    int editId;
    ParamField field;
    // What one field carries on the wire: a gain one byte, the flight settings two.
    std::int32_t maximum = 255;
};

inline constexpr std::int32_t kWordMaximum = 65535;

// The order in which one data exchange moves the fields. A transfer from the controls stops
// at the first edit that holds no integer, so this order decides which fields were taken.
inline constexpr std::array<IntegerBinding, 23> kIntegerTransferOrder{{
    {id::kTargetAltitude, &ParamFields::targetAltitude, kWordMaximum},
    {id::kCirclingRadius, &ParamFields::circlingRadius, kWordMaximum},
    {id::kPitchStabilityCoef, &ParamFields::pitchStabilityCoef},
    {id::kPitchStabilityContinue, &ParamFields::pitchStabilityContinue},
    {id::kPitchLevelCoef, &ParamFields::pitchLevelCoef},
    {id::kRollStabilityCoef, &ParamFields::rollStabilityCoef},
    {id::kRollStabilityContinue, &ParamFields::rollStabilityContinue},
    {id::kRollLevelCoef, &ParamFields::rollLevelCoef},
    {id::kHeadingLockingCoef, &ParamFields::headingLockingCoef},
    {id::kHeadingLockingContinue, &ParamFields::headingLockingContinue},
    {id::kHeadingStabilityCoef, &ParamFields::headingStabilityCoef},
    {id::kAltitudeCompensation, &ParamFields::altitudeCompensation},
    {id::kSpeedControl, &ParamFields::speedControl},
    {id::kOtherThird, &ParamFields::otherThird},
    {id::kXD, &ParamFields::xD},
    {id::kXI, &ParamFields::xI},
    {id::kXP, &ParamFields::xP},
    {id::kYD, &ParamFields::yD},
    {id::kYI, &ParamFields::yI},
    {id::kYP, &ParamFields::yP},
    {id::kHeightP, &ParamFields::heightP},
    {id::kHeightI, &ParamFields::heightI},
    {id::kHeightD, &ParamFields::heightD},
}};

// True when a transfer that took the first `transferred` bindings of the order covered every one of `fields`.
constexpr bool allTransferred(std::size_t transferred, std::initializer_list<ParamField> fields) {
    for (ParamField field : fields) {
        bool covered = false;
        for (std::size_t i = 0; i < transferred && i < kIntegerTransferOrder.size(); ++i) {
            covered = covered || kIntegerTransferOrder[i].field == field;
        }
        if (!covered) {
            return false;
        }
    }
    return true;
}

} // namespace tq37r
