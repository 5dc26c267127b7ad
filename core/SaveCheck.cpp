#include "core/SaveCheck.h"

#include "core/GainTexts.h"
#include "core/GainTracker.h"

namespace tq37r {

void SaveCheck::start() {
    running_ = true;
    blocksIn_ = 0;
    mismatches_ = 0;
}

std::optional<std::string> SaveCheck::take(const reply::GainReadBack& readBack, GainTracker& gains) {
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (!readBack.carries(i)) {
            continue;
        }
        const std::uint8_t reads = readBack.values[i];
        const std::optional<std::uint8_t> saved = gains.controllerValue(i);
        if (saved && *saved != reads) {
            if (mismatches_++ == 0) {
                firstMismatch_ = i;
            }
            gains.savedButReads(i, reads);
        } else {
            gains.reported(i, reads);
        }
    }
    blocksIn_ |= 1u << static_cast<unsigned>(readBack.block);
    if (blocksIn_ != 3u) {
        return std::nullopt;
    }
    running_ = false;
    if (mismatches_ == 0) {
        return std::string();
    }
    return saveMismatchText(kGains[firstMismatch_].label, gains.controllerValue(firstMismatch_).value_or(0),
                            gains.expectedValue(firstMismatch_).value_or(0), mismatches_);
}

} // namespace tq37r
