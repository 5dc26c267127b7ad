#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "device/LinkClock.h"
#include "serial/SerialPort.h"

namespace tq37r::cli {

// What a command sleeps on while it waits for the controller: the port watcher's
// announcements (this is the port's sink), an interrupt, or a time. Tests give it one whose
// time moves only when nothing is left to read.
class LineWait : public SerialEventSink, public LinkClock {
public:
    struct Seen {
        bool rxReady = false;
        std::optional<std::uint32_t> hungUp; // the tag of the open whose device went away
        bool interrupted = false;
    };

    // Returns when something is announced or until passes (never, when nullopt). Bytes
    // waiting and a hang-up are reported once per announcement; an interrupt stays reported.
    virtual Seen wait(std::optional<TimePoint> until) = 0;

protected:
    ~LineWait() = default;
};

} // namespace tq37r::cli
