#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "device/LinkClock.h"
#include "serial/SerialPort.h"

namespace tq37r::cli {

// What a command sleeps on while it waits for the controller: the port watcher's
// announcements (this is the port's sink), an interrupt, or a time. Tests give it one whose
// time moves only when nothing is left to read.
class LineWait : public SerialEventSink, public LinkClock {
public:
    // What was announced, by the tags of the opens it concerns: a search has several lines open.
    struct Seen {
        std::vector<std::uint32_t> rxReady;
        std::vector<std::uint32_t> hungUp;
        bool interrupted = false;

        // Notes an announcement, once per tag.
        void add(SerialEvent event, std::uint32_t tag) {
            std::vector<std::uint32_t>& tags = event == SerialEvent::RxReady ? rxReady : hungUp;
            if (std::find(tags.begin(), tags.end(), tag) == tags.end()) {
                tags.push_back(tag);
            }
        }
    };

    // Returns when something is announced or until passes (never, when nullopt). Bytes
    // waiting and a hang-up are reported once per announcement; an interrupt stays reported.
    virtual Seen wait(std::optional<TimePoint> until) = 0;

protected:
    ~LineWait() = default;
};

} // namespace tq37r::cli
