#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "core/ParamFields.h"
#include "res/ControlIds.h"

namespace tq37r {

// The edit that shows each gain, in grid order.
inline constexpr std::array<int, kGainCount> kGainEdits{{
    id::kPitchLevelCoef,
    id::kPitchStabilityContinue,
    id::kPitchStabilityCoef, //
    id::kRollLevelCoef,
    id::kRollStabilityContinue,
    id::kRollStabilityCoef, //
    id::kHeadingLockingCoef,
    id::kHeadingLockingContinue,
    id::kHeadingStabilityCoef, //
    id::kAltitudeCompensation,
    id::kSpeedControl,
    id::kOtherThird, //
    id::kXP,
    id::kXI,
    id::kXD, //
    id::kYP,
    id::kYI,
    id::kYD, //
    id::kHeightP,
    id::kHeightI,
    id::kHeightD, //
}};

// The order in which one data exchange moves the 23 fields, by edit. A transfer from the
// controls stops at the first edit that holds no integer, so this order decides which fields
// were taken; in the Pitch, Roll, X and Y rows it runs right to left.
inline constexpr std::array<int, kGainCount + 2> kTransferOrder{{
    id::kTargetAltitude,
    id::kCirclingRadius, //
    id::kPitchStabilityCoef,
    id::kPitchStabilityContinue,
    id::kPitchLevelCoef, //
    id::kRollStabilityCoef,
    id::kRollStabilityContinue,
    id::kRollLevelCoef, //
    id::kHeadingLockingCoef,
    id::kHeadingLockingContinue,
    id::kHeadingStabilityCoef, //
    id::kAltitudeCompensation,
    id::kSpeedControl,
    id::kOtherThird, //
    id::kXD,
    id::kXI,
    id::kXP, //
    id::kYD,
    id::kYI,
    id::kYP, //
    id::kHeightP,
    id::kHeightI,
    id::kHeightD, //
}};

constexpr std::optional<std::size_t> gainOfEdit(int editId) {
    for (std::size_t i = 0; i < kGainEdits.size(); ++i) {
        if (kGainEdits[i] == editId) {
            return i;
        }
    }
    return std::nullopt;
}

// The field an edit of the transfer order is bound to.
inline std::int32_t& boundField(ParamFields& fields, int editId) {
    if (const std::optional<std::size_t> gain = gainOfEdit(editId)) {
        return fields.gains[*gain];
    }
    return editId == id::kTargetAltitude ? fields.targetAltitude : fields.circlingRadius;
}

// The largest value an edit's field can carry on the wire: a gain one byte, a flight setting two.
constexpr std::int32_t boundMaximum(int editId) {
    return gainOfEdit(editId) ? 255 : 65535;
}

// True when a transfer that took the first `transferred` edits of the order covered every one of `editIds`.
constexpr bool allTransferred(std::size_t transferred, std::span<const int> editIds) {
    for (const int editId : editIds) {
        bool covered = false;
        for (std::size_t i = 0; i < transferred && i < kTransferOrder.size(); ++i) {
            covered = covered || kTransferOrder[i] == editId;
        }
        if (!covered) {
            return false;
        }
    }
    return true;
}

// The three edits of a row, as the row sends them.
constexpr std::span<const int> rowEdits(GainGroup group) {
    return std::span<const int>(kGainEdits).subspan(firstGainOf(group), kGainsPerRow);
}

} // namespace tq37r
