#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "ui/ParamFields.h"

namespace tq37r {

using ParamField = std::int32_t ParamFields::*;

struct IntegerBinding {
    int editId;
    ParamField field;
};

// The order in which one data exchange moves the fields. A transfer from the controls stops
// at the first edit that holds no integer, so this order decides which fields were taken.
inline constexpr std::array<IntegerBinding, 23> kIntegerTransferOrder{{
    {1038, &ParamFields::targetAltitude},
    {1039, &ParamFields::circlingRadius},
    {1043, &ParamFields::pitchStabilityCoef},
    {1042, &ParamFields::pitchStabilityContinue},
    {1041, &ParamFields::pitchLevelCoef},
    {1046, &ParamFields::rollStabilityCoef},
    {1045, &ParamFields::rollStabilityContinue},
    {1044, &ParamFields::rollLevelCoef},
    {1048, &ParamFields::headingLockingCoef},
    {1049, &ParamFields::headingLockingContinue},
    {1050, &ParamFields::headingStabilityCoef},
    {1052, &ParamFields::altitudeCompensation},
    {1053, &ParamFields::speedControl},
    {1054, &ParamFields::otherThird},
    {1058, &ParamFields::xD},
    {1057, &ParamFields::xI},
    {1056, &ParamFields::xP},
    {1061, &ParamFields::yD},
    {1060, &ParamFields::yI},
    {1059, &ParamFields::yP},
    {1064, &ParamFields::heightP},
    {1065, &ParamFields::heightI},
    {1066, &ParamFields::heightD},
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
