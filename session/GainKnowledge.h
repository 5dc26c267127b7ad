#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include "device/GainTable.h"

namespace tq37r {

// What is known of each gain on the controller's side, learnt on one connection: what it
// holds, what of that is in its flash, and what a save should have left. A close, a hang-up or
// another port or rate is another connection (another controller, perhaps), so all of it is
// forgotten then, but the last value read and when, for a person to be told.
class GainKnowledge {
public:
    enum class Standing {
        Unknown,  // not read nor sent on this connection
        InFlash,  // as in the controller's flash (read back, or saved)
        Unsaved,  // sent and acknowledged, not saved to flash
        Mismatch, // saved, but the controller reads something else
    };
    struct LastRead {
        std::uint8_t value = 0;
        std::chrono::system_clock::time_point at;
    };

    // A new connection: nothing is known of the controller at the other end.
    void forget();
    // The controller reported this value (a read-back): it is what it holds. A value it reports
    // as we had sent it keeps its saved-or-not standing; any other is taken as its flash.
    void reported(std::size_t gain, std::uint8_t value, std::chrono::system_clock::time_point at);
    // The controller acknowledged a row we sent.
    void sent(std::size_t gain, std::uint8_t value);
    // The controller acknowledged a save: everything it holds is now in flash.
    void saved();
    // A read-back after a save found the controller holding `value`, not what was saved.
    void savedButReads(std::size_t gain, std::uint8_t value, std::chrono::system_clock::time_point at);

    Standing standing(std::size_t gain) const;
    // What the controller holds, when known on this connection.
    std::optional<std::uint8_t> controllerValue(std::size_t gain) const { return gains_[gain].controller; }
    // The value a mismatched gain was saved with.
    std::optional<std::uint8_t> expectedValue(std::size_t gain) const { return gains_[gain].expected; }
    // The last value read from a controller, on this connection or an earlier one.
    std::optional<LastRead> lastRead(std::size_t gain) const { return lastRead_[gain]; }

private:
    struct Gain {
        std::optional<std::uint8_t> controller; // what it holds in working memory
        std::optional<std::uint8_t> flash;      // what it keeps across a power cycle
        std::optional<std::uint8_t> expected;   // saved with this, reads otherwise
    };
    std::array<Gain, kGainCount> gains_{};
    std::array<std::optional<LastRead>, kGainCount> lastRead_{};
};

} // namespace tq37r
