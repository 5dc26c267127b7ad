#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "device/LinkClock.h"
#include "device/Requests.h"
#include "protocol/FrameReceiver.h"

namespace tq37r {

// Hears everything that passes on a controller link, for a line log: what goes out, what comes
// in, what is dropped, what goes unanswered. Frames arriving together carry the time their
// bytes were read. Spans are valid only during the call.
class LinkObserver {
public:
    using TimePoint = LinkClock::TimePoint;

    virtual void opened(std::string_view port, std::uint32_t baudRate, TimePoint at) = 0;
    virtual void closed(TimePoint at) = 0;
    virtual void hungUp(TimePoint at) = 0;
    virtual void sent(std::span<const std::uint8_t> frameBytes, TimePoint at) = 0;
    virtual void received(std::span<const std::uint8_t> frameBytes, TimePoint at) = 0;
    virtual void dropped(std::span<const std::uint8_t> bytes, BadFrame why, TimePoint at) = 0;
    virtual void skipped(std::span<const std::uint8_t> bytes, TimePoint at) = 0;
    virtual void unanswered(const Request& request, TimePoint at) = 0;

protected:
    ~LinkObserver() = default;
};

} // namespace tq37r
