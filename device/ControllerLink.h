#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "device/LinkClock.h"
#include "device/LinkObserver.h"
#include "device/Reply.h"
#include "device/Requests.h"
#include "protocol/FrameReceiver.h"
#include "protocol/TxFrame.h"
#include "serial/SerialPort.h"

namespace tq37r {

// What the link tells its owner, on the owner's thread, from inside onRxReady and poll.
class LinkListener {
public:
    // A frame that passed its check, in arrival order; `answered` is the awaited answer it
    // was, if any (late ones too, while still awaited).
    virtual void onFrame(const Reply& reply, std::optional<Answer> answered) = 0;
    // An awaited answer did not come in time; it is no longer awaited.
    virtual void onUnanswered(const Answer& answer) = 0;

protected:
    ~LinkListener() = default;
};

// The controller at the other end of a port, without a toolkit: requests out through the one
// outgoing frame, the controller's frames in through the receiver and the decoder, each
// request's answer awaited for its patience, and a frame that stops arriving given up after
// the line's quiet gap. It writes what it is given when it is given it: the session decides
// when each request may go. The owner turns its port notifications into onRxReady and calls
// poll by nextDeadline.
class ControllerLink : private ReceiverObserver {
public:
    using TimePoint = LinkClock::TimePoint;

    static constexpr std::chrono::milliseconds kPatience{1000};

    ControllerLink(SerialPort& port, LinkClock& clock, LinkListener& listener);
    ~ControllerLink();
    ControllerLink(const ControllerLink&) = delete;
    ControllerLink& operator=(const ControllerLink&) = delete;

    // Opens the line; the port's notifications go to sink, tagged with this open's tag().
    // Whatever an earlier line left half-received or unanswered is forgotten.
    OpenResult open(std::string_view portName, const PortSettings& settings, SerialEventSink& sink);
    void close();
    // The device went away: said to the observer, then closed.
    void hungUp();
    bool isOpen() const { return port_.isOpen(); }
    // Who hears of every frame and every problem on the line; nullptr for nobody.
    void setObserver(LinkObserver* observer);
    // Tells the notifications of this open from those an earlier one's watcher still posted.
    std::uint32_t tag() const { return tag_; }
    bool isCurrent(std::uint32_t tag) const { return tag == tag_ && port_.isOpen(); }
    // Bytes that came on this line since it was opened, good or not.
    std::uint64_t bytesIn() const { return bytesIn_; }

    // Writes the request and awaits its answer for `patience`. False, awaiting nothing, when
    // the port is closed or the write did not go whole.
    bool send(const Request& request, std::chrono::milliseconds patience = kPatience);

    // The port announced waiting bytes: takes one announcement's worth.
    void onRxReady();
    // When poll has something to do: a stalled frame's quiet gap ends, or an answer is due.
    std::optional<TimePoint> nextDeadline() const;
    void poll();

private:
    void frameArrived(std::span<const std::uint8_t> frameBytes);
    void drain();
    // ReceiverObserver
    void skipped(std::span<const std::uint8_t> bytes) override;
    void badFrame(std::span<const std::uint8_t> bytes, BadFrame why) override;

    struct Awaited {
        Request request;
        TimePoint due;
    };

    SerialPort& port_;
    LinkClock& clock_;
    LinkListener& listener_;
    TxFrame tx_;
    FrameReceiver receiver_;
    std::uint32_t tag_ = 0;
    std::uint64_t bytesIn_ = 0;
    std::chrono::milliseconds quietGap_{0};
    TimePoint lastArrival_{};
    std::vector<Awaited> awaited_;
    LinkObserver* observer_ = nullptr;
};

} // namespace tq37r
