#pragma once

#include <cstdint>

namespace tq37r {

// The dialog's 23 integer parameters, bound to edit controls by the data exchange.
struct ParamFields {
    std::int32_t pitchLevelCoef = 0, pitchStabilityContinue = 0, pitchStabilityCoef = 0;
    std::int32_t rollLevelCoef = 0, rollStabilityContinue = 0, rollStabilityCoef = 0;
    std::int32_t headingLockingCoef = 0, headingLockingContinue = 0, headingStabilityCoef = 0;
    std::int32_t altitudeCompensation = 0, speedControl = 0, otherThird = 0;
    std::int32_t xP = 0, xI = 0, xD = 0;
    std::int32_t yP = 0, yI = 0, yD = 0;
    std::int32_t heightP = 0, heightI = 0, heightD = 0;
    std::int32_t targetAltitude = 0;
    std::int32_t circlingRadius = 0;

    // The built-in gains of "Restore Default Parameters"; the two flight settings are kept.
    void restoreDefaultGains() {
        pitchLevelCoef = 35, pitchStabilityContinue = 0, pitchStabilityCoef = 30;
        rollLevelCoef = 35, rollStabilityContinue = 0, rollStabilityCoef = 30;
        headingLockingCoef = 15, headingLockingContinue = 45, headingStabilityCoef = 60;
        altitudeCompensation = 5, speedControl = 5, otherThird = 0;
        xP = 15, xI = 1, xD = 8;
        yP = 15, yI = 1, yD = 8;
        heightP = 15, heightI = 1, heightD = 10;
    }
};

} // namespace tq37r
