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

// The buffers of a line: the one outgoing frame and the receiver. The window keeps them for
// the whole process, the command line for its run.
struct LinkBuffers {
    TxFrame tx;
    FrameReceiver receiver;
};

// The controller at the other end of a port, without a toolkit: requests out through the one
// outgoing frame, the controller's frames in through the receiver and the decoder, each
// request's answer awaited for its patience, a frame that stops arriving given up after the
// line's quiet gap, and the pause the controller needs between the two gain reads. The owner
// turns its port notifications into onRxReady and calls poll by nextDeadline; both the
// window's dialog and tq37r-cli drive one.
class ControllerLink : private ReceiverObserver {
public:
    using TimePoint = LinkClock::TimePoint;

    static constexpr std::chrono::milliseconds kPatience{1000};
    // After the first gain read the controller takes the second only this much later.
    static constexpr std::chrono::milliseconds kReadPairPause{100};

    ControllerLink(SerialPort& port, LinkClock& clock, LinkListener& listener, LinkBuffers& buffers);
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
    std::uint32_t baudRate() const { return baudRate_; }
    // Tells the notifications of this open from those an earlier one's watcher still posted.
    std::uint32_t tag() const { return tag_; }
    bool isCurrent(std::uint32_t tag) const { return tag == tag_ && port_.isOpen(); }

    // Writes the request, after the read pair's pause when it is the second gain read, and
    // awaits its answer for `patience`. False, awaiting nothing, when the port is closed or
    // the write did not go whole.
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
    LinkBuffers& buffers_;
    std::uint32_t baudRate_ = 0;
    std::uint32_t tag_ = 0;
    std::chrono::milliseconds quietGap_{0};
    TimePoint lastArrival_{};
    std::optional<TimePoint> firstReadSent_;
    std::vector<Awaited> awaited_;
    LinkObserver* observer_ = nullptr;
};

} // namespace tq37r
