#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/ControllerLink.h"

namespace tq37r {

// One port's part of a search for the controller, on a port and a link of its own: each rate in
// turn, fastest first, asked for the first gain block (which changes nothing; never 92 00, which
// would switch automatic return off), each for its patience, until one answers. It remembers the
// rates at which bytes came but no answer, to tell something at another rate from silence.
class PortProbe final : private LinkListener {
public:
    enum class State { Trying, Answered, Silent };

    PortProbe(std::string portName, std::unique_ptr<SerialPort> port, LinkClock& clock, SerialEventSink& sink,
              LinkObserver* observer);
    PortProbe(const PortProbe&) = delete;
    PortProbe& operator=(const PortProbe&) = delete;

    // Opens at the fastest rate that opens and asks.
    void start(std::vector<std::uint32_t> rates, std::chrono::milliseconds patience);
    void stop();

    bool owns(std::uint32_t tag) const { return link_.isCurrent(tag); }
    void onRxReady() { link_.onRxReady(); }
    void onHangUp();
    std::optional<LinkClock::TimePoint> nextDeadline() const { return link_.nextDeadline(); }
    void poll() { link_.poll(); }
    // After the link's calls: a try that missed moves on to the next rate.
    void advance();

    State state() const { return state_; }
    const std::string& port() const { return portName_; }
    // The rate being tried, or the one that answered.
    std::uint32_t baudRate() const { return rates_.empty() ? 0 : rates_[next_ - 1]; }
    std::size_t tried() const { return next_; }
    // Rates at which bytes came but no answer.
    const std::vector<std::uint32_t>& heardAt() const { return heardAt_; }
    // Why the port could not be tried at all; None when it was.
    OpenFailure failure() const { return failure_; }

private:
    // LinkListener
    void onFrame(const Reply& reply, std::optional<Answer> answered) override;
    void onUnanswered(const Answer& answer) override;

    void tryNext();
    void missed();

    std::string portName_;
    std::unique_ptr<SerialPort> serial_;
    SerialEventSink& sink_;
    ControllerLink link_;
    std::vector<std::uint32_t> rates_;
    std::chrono::milliseconds patience_{0};
    std::size_t next_ = 0;
    bool waiting_ = false;
    bool missed_ = false;
    State state_ = State::Silent;
    std::vector<std::uint32_t> heardAt_;
    OpenFailure failure_ = OpenFailure::None;
};

} // namespace tq37r
