#pragma once

#include <array>
#include <cstdint>

#include "device/GainTable.h"

namespace tq37r {

// The dialog's 23 integer parameters, bound to edit controls by the data exchange: the 21
// gains in grid order and the two hidden flight settings.
struct ParamFields {
    std::array<std::int32_t, kGainCount> gains{};
    std::int32_t targetAltitude = 0;
    std::int32_t circlingRadius = 0;

    // The built-in gains of "Restore Default Parameters"; the two flight settings are kept.
    void restoreDefaultGains() {
        for (std::size_t i = 0; i < kGainCount; ++i) {
            gains[i] = kGains[i].defaultValue;
        }
    }
};

} // namespace tq37r
