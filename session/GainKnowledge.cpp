#include "session/GainKnowledge.h"

namespace tq37r {

void GainKnowledge::forget() {
    gains_ = {};
}

void GainKnowledge::reported(std::size_t gain, std::uint8_t value, std::chrono::system_clock::time_point at) {
    Gain& g = gains_[gain];
    if (g.controller != value) {
        g.flash = value;
        g.expected.reset();
    }
    g.controller = value;
    lastRead_[gain] = LastRead{value, at};
}

void GainKnowledge::sent(std::size_t gain, std::uint8_t value) {
    gains_[gain].controller = value;
    gains_[gain].expected.reset();
}

void GainKnowledge::saved() {
    for (Gain& g : gains_) {
        g.flash = g.controller;
        g.expected.reset();
    }
}

void GainKnowledge::savedButReads(std::size_t gain, std::uint8_t value,
                                  std::chrono::system_clock::time_point at) {
    Gain& g = gains_[gain];
    g.expected = g.controller;
    g.controller = value;
    g.flash = value;
    lastRead_[gain] = LastRead{value, at};
}

GainKnowledge::Standing GainKnowledge::standing(std::size_t gain) const {
    const Gain& g = gains_[gain];
    if (!g.controller) {
        return Standing::Unknown;
    }
    if (g.expected) {
        return Standing::Mismatch;
    }
    return g.flash == g.controller ? Standing::InFlash : Standing::Unsaved;
}

} // namespace tq37r
