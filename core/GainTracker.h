#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/GainTint.h"
#include "device/GainTable.h"

namespace tq37r {

// What the tool knows of each gain on the controller's side, so the grid can say which of
// its values are in flash, sent but not saved, or changed here; and what a save should leave.
class GainTracker {
public:
    // The controller reported these values (a read-back): they are what it holds. A value it
    // reports as we had sent it keeps its saved-or-not standing; any other is taken as its flash.
    void reported(std::size_t gain, std::uint8_t value);
    // The controller acknowledged a row we sent.
    void sent(std::size_t gain, std::uint8_t value);
    // The controller acknowledged a save: everything it holds is now in flash.
    void saved();
    // A read-back after a save found the controller holding `value`, not what was saved.
    void savedButReads(std::size_t gain, std::uint8_t value);
    // The grid's value came from here (typing, defaults, a file), not from the controller.
    void touched(std::size_t gain) { gains_[gain].touched = true; }

    // The grid showing `shown` (nullopt when its text is no whole number).
    GainTint tint(std::size_t gain, std::optional<std::int32_t> shown) const;
    // What the controller holds, when known.
    std::optional<std::uint8_t> controllerValue(std::size_t gain) const { return gains_[gain].controller; }
    // The value a mismatched gain was saved with.
    std::optional<std::uint8_t> expectedValue(std::size_t gain) const { return gains_[gain].expected; }

private:
    struct Gain {
        std::optional<std::uint8_t> controller; // what it holds in working memory
        std::optional<std::uint8_t> flash;      // what it keeps across a power cycle
        std::optional<std::uint8_t> expected;   // saved with this, reads otherwise
        bool touched = false;
    };
    std::array<Gain, kGainCount> gains_{};
};

} // namespace tq37r
