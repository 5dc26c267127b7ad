#include "core/GainTracker.h"

namespace tq37r {

void GainTracker::reported(std::size_t gain, std::uint8_t value) {
    Gain& g = gains_[gain];
    if (g.controller != value) {
        g.flash = value;
        g.expected.reset();
    }
    g.controller = value;
    g.touched = false;
}

void GainTracker::sent(std::size_t gain, std::uint8_t value) {
    gains_[gain].controller = value;
    gains_[gain].expected.reset();
}

void GainTracker::saved() {
    for (Gain& g : gains_) {
        g.flash = g.controller;
        g.expected.reset();
    }
}

void GainTracker::savedButReads(std::size_t gain, std::uint8_t value) {
    Gain& g = gains_[gain];
    g.expected = g.controller;
    g.controller = value;
    g.flash = value;
}

GainTint GainTracker::tint(std::size_t gain, std::optional<std::int32_t> shown) const {
    const Gain& g = gains_[gain];
    if (!g.controller) {
        return g.touched ? GainTint::Changed : GainTint::None;
    }
    if (shown != *g.controller) {
        return GainTint::Changed;
    }
    if (g.expected) {
        return GainTint::Mismatch;
    }
    return g.flash == g.controller ? GainTint::InFlash : GainTint::Unsaved;
}

} // namespace tq37r
