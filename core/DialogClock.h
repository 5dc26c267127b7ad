#pragma once

#include <chrono>

#include "device/LinkClock.h"

namespace tq37r {

// Time as the dialog core sees it: window timers that tick into ParamDialog::OnTimer. The
// core never waits: what must happen later happens at a tick. Tests give it a clock they advance.
class DialogClock : public LinkClock {
public:
    // Starts, or restarts from now, a periodic timer; each tick calls OnTimer(timerId).
    virtual void setTimer(int timerId, std::chrono::milliseconds period) = 0;
    virtual void killTimer(int timerId) = 0;

protected:
    ~DialogClock() = default;
};

} // namespace tq37r
