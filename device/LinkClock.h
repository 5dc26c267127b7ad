#pragma once

#include <chrono>

namespace tq37r {

// Time as the controller link sees it. The window's clock sleeps through a pause, as its
// blocking waits do; the command line's keeps reading the line meanwhile. Tests give it a
// clock they advance.
class LinkClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual TimePoint now() const = 0;
    // Blocks the caller for the duration.
    virtual void pause(std::chrono::milliseconds duration) = 0;

protected:
    ~LinkClock() = default;
};

} // namespace tq37r
