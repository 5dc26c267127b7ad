#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "device/Reply.h"

namespace tq37r {

class GainKnowledge;

// What reading the gains back after an acknowledged save showed.
struct SaveVerdict {
    enum class Kind {
        Verified,    // the controller reads what this connection knew it to hold
        Mismatched,  // some gains read otherwise
        NotVerified, // the save was acknowledged, but the read-back got no answer
    };
    struct Mismatch {
        std::size_t gain = 0; // grid index
        std::uint8_t reads = 0;
        std::uint8_t saved = 0;
    };
    Kind kind = Kind::Verified;
    std::vector<Mismatch> mismatches; // grid order
};

// After the controller acknowledges a save, both gain blocks are read back to see that what it
// now keeps is what this connection sent or read; a gain the connection did not know is simply
// learnt. The check ends with both blocks in, or when stopped (a Read of the operator's own,
// a closed line) or given up (no answer).
class SaveCheck {
public:
    void start();
    void stop() { running_ = false; }
    bool running() const { return running_; }

    // One block of the read-back, learnt into `gains` as saved or as differing; the verdict
    // once both blocks are in.
    std::optional<SaveVerdict> take(const reply::GainReadBack& readBack, GainKnowledge& gains,
                                    std::chrono::system_clock::time_point at);

private:
    bool running_ = false;
    unsigned blocksIn_ = 0; // bit per GainBlock
    SaveVerdict verdict_;
};

} // namespace tq37r
