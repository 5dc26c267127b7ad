#pragma once

#include <chrono>

namespace tq37r {

// Time as the dialog core sees it: window timers that tick into ParamDialog::OnTimer, and
// blocking pauses during which nothing else is handled. Tests give it a clock they advance.
class DialogClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual TimePoint now() const = 0;
    // Blocks the calling (GUI) thread; ticks that fall into the pause are lost, not queued.
    virtual void pause(std::chrono::milliseconds duration) = 0;
    // Starts, or restarts from now, a periodic timer; each tick calls OnTimer(timerId).
    virtual void setTimer(int timerId, std::chrono::milliseconds period) = 0;
    virtual void killTimer(int timerId) = 0;

protected:
    ~DialogClock() = default;
};

} // namespace tq37r
