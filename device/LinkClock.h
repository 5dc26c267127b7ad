#pragma once

#include <chrono>

namespace tq37r {

// Time as the controller link and the session see it. Nothing here waits: whoever drives a
// session sleeps in its own loop until the session's next deadline. Tests give it a clock they
// advance.
class LinkClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual TimePoint now() const = 0;

protected:
    ~LinkClock() = default;
};

} // namespace tq37r
