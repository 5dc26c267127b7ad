#include "session/ControllerSearch.h"

#include <variant>

#include "serial/PortName.h"

namespace tq37r {
namespace {

const Request kProbe = request::readGainBlock(GainBlock::First);

} // namespace

std::vector<std::string> listedPortsPresent(const SerialPort& port) {
    std::vector<std::string> present;
    for (const ComPort& listed : ComPort::listed()) {
        if (std::string name = listed.name(); !port.resolve(name).empty()) {
            present.push_back(std::move(name));
        }
    }
    return present;
}

void ControllerSearch::start(std::vector<std::string> ports, std::vector<std::uint32_t> rates,
                             std::chrono::milliseconds patience, bool firstOnly) {
    ports_ = std::move(ports);
    rates_ = std::move(rates);
    patience_ = patience;
    firstOnly_ = firstOnly;
    next_ = 0;
    found_.clear();
    link_.close();
    tryNext();
}

void ControllerSearch::cancel() {
    if (running()) {
        link_.close();
        step_ = Step::Idle;
    }
}

void ControllerSearch::onFrame(const Reply& reply, std::optional<Answer> answered) {
    // A frame of the right code too short to be a read-back is no answer, and none will follow it.
    if (step_ == Step::Waiting && answered == kProbe.answer) {
        step_ = std::holds_alternative<reply::GainReadBack>(reply) ? Step::Answered : Step::Missed;
    }
}

void ControllerSearch::onUnanswered(const Answer& answer) {
    if (step_ == Step::Waiting && answer == kProbe.answer) {
        step_ = Step::Missed;
    }
}

void ControllerSearch::onHangUp() {
    if (step_ == Step::Waiting) {
        step_ = Step::Missed;
    }
}

void ControllerSearch::advance() {
    if (step_ == Step::Idle || step_ == Step::Waiting) {
        return;
    }
    link_.close();
    if (step_ == Step::Answered) {
        found_.push_back({port(), baudRate()});
        if (firstOnly_) {
            step_ = Step::Idle;
            return;
        }
        next_ = (current() / rates_.size() + 1) * rates_.size(); // this port's other rates are not needed
    }
    tryNext();
}

void ControllerSearch::tryNext() {
    step_ = Step::Idle;
    while (next_ < total()) {
        ++next_;
        if (const OpenResult opened = link_.open(port(), PortSettings{baudRate(), patience_}, sink_);
            !opened) {
            // Absent or held by another program: no other rate will do better.
            if (opened.failure != OpenFailure::RateNotSupported) {
                next_ = (current() / rates_.size() + 1) * rates_.size();
            }
            continue;
        }
        if (link_.send(kProbe, patience_)) {
            step_ = Step::Waiting;
            return;
        }
        link_.close();
    }
}

} // namespace tq37r
