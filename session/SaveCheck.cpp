#include "session/SaveCheck.h"

#include <algorithm>

#include "session/GainKnowledge.h"

namespace tq37r {

void SaveCheck::start() {
    running_ = true;
    blocksIn_ = 0;
    verdict_ = {};
}

std::optional<SaveVerdict> SaveCheck::take(const reply::GainReadBack& readBack, GainKnowledge& gains,
                                           std::chrono::system_clock::time_point at) {
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (!readBack.carries(i)) {
            continue;
        }
        const std::uint8_t reads = readBack.values[i];
        const std::optional<std::uint8_t> saved = gains.controllerValue(i);
        if (saved && *saved != reads) {
            verdict_.mismatches.push_back({i, reads, *saved});
            gains.savedButReads(i, reads, at);
        } else {
            gains.reported(i, reads, at);
        }
    }
    blocksIn_ |= 1u << static_cast<unsigned>(readBack.block);
    if (blocksIn_ != 3u) {
        return std::nullopt;
    }
    running_ = false;
    // Blocks may come in either order; the verdict names gains in grid order.
    std::sort(verdict_.mismatches.begin(), verdict_.mismatches.end(),
              [](const auto& a, const auto& b) { return a.gain < b.gain; });
    verdict_.kind = verdict_.mismatches.empty() ? SaveVerdict::Kind::Verified : SaveVerdict::Kind::Mismatched;
    return verdict_;
}

} // namespace tq37r
