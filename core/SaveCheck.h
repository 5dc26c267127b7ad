#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "device/Reply.h"

namespace tq37r {

class GainTracker;

// After the controller acknowledges a save, both gain blocks are read back to see that what
// it now keeps is what was sent. The check ends when both have come, or when stopped (a Read
// of the operator's own, a closed port).
class SaveCheck {
public:
    void start();
    void stop() { running_ = false; }
    bool running() const { return running_; }

    // One block of the read-back: records in `gains` what each of its gains reads, as saved or
    // as differing. Once both blocks are in, the verdict: "" when all agree, else a status line
    // naming the first gain that differs and how many more do.
    std::optional<std::string> take(const reply::GainReadBack& readBack, GainTracker& gains);

private:
    bool running_ = false;
    unsigned blocksIn_ = 0; // bit per GainBlock
    std::size_t mismatches_ = 0;
    std::size_t firstMismatch_ = 0; // grid index
};

} // namespace tq37r
