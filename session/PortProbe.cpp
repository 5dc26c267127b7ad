#include "session/PortProbe.h"

#include <variant>

namespace tq37r {
namespace {

const Request kProbe = request::readGainBlock(GainBlock::First);

} // namespace

PortProbe::PortProbe(std::string portName, std::unique_ptr<SerialPort> port, LinkClock& clock,
                     SerialEventSink& sink, LinkObserver* observer)
    : portName_(std::move(portName)), serial_(std::move(port)), sink_(sink), link_(*serial_, clock, *this) {
    link_.setObserver(observer);
}

void PortProbe::start(std::vector<std::uint32_t> rates, std::chrono::milliseconds patience) {
    rates_ = std::move(rates);
    patience_ = patience;
    next_ = 0;
    heardAt_.clear();
    failure_ = OpenFailure::None;
    state_ = State::Trying;
    tryNext();
}

void PortProbe::stop() {
    link_.close();
    if (state_ == State::Trying) {
        state_ = State::Silent;
    }
}

void PortProbe::tryNext() {
    waiting_ = false;
    missed_ = false;
    while (next_ < rates_.size()) {
        const OpenResult opened = link_.open(portName_, PortSettings{rates_[next_++], patience_}, sink_);
        if (!opened) {
            failure_ = opened.failure;
            // Absent or held by another program: no other rate will do better.
            if (opened.failure != OpenFailure::RateNotSupported) {
                break;
            }
            continue;
        }
        failure_ = OpenFailure::None;
        if (link_.send(kProbe, patience_)) {
            waiting_ = true;
            return;
        }
        link_.close();
    }
    link_.close();
    state_ = State::Silent;
}

void PortProbe::onFrame(const Reply& reply, std::optional<Answer> answered) {
    if (!waiting_ || answered != kProbe.answer) {
        return;
    }
    // A frame of the right code too short to be a read-back is no answer, and none will follow it.
    if (std::holds_alternative<reply::GainReadBack>(reply)) {
        waiting_ = false;
        state_ = State::Answered;
    } else {
        missed_ = true;
    }
}

void PortProbe::onUnanswered(const Answer& answer) {
    if (waiting_ && answer == kProbe.answer) {
        missed_ = true;
    }
}

void PortProbe::onHangUp() {
    if (waiting_) {
        missed_ = true;
    }
}

void PortProbe::advance() {
    if (state_ == State::Answered) {
        link_.close();
        return;
    }
    if (!missed_) {
        return;
    }
    if (link_.bytesIn() > 0) {
        heardAt_.push_back(baudRate());
    }
    link_.close();
    tryNext();
}

} // namespace tq37r
