#include "session/ControllerSearch.h"

#include <algorithm>

#include "serial/PortName.h"

namespace tq37r {

std::vector<std::string> listedPortsPresent(const SerialPort& port) {
    std::vector<std::string> present;
    for (const ComPort& listed : ComPort::listed()) {
        if (std::string name = listed.name(); !port.resolve(name).empty()) {
            present.push_back(std::move(name));
        }
    }
    return present;
}

void ControllerSearch::start(const std::vector<std::string>& ports, std::vector<std::uint32_t> rates,
                             std::chrono::milliseconds patience, bool firstOnly) {
    cancel();
    probes_.clear();
    rates_ = std::move(rates);
    firstOnly_ = firstOnly;
    for (const std::string& port : ports) {
        probes_.push_back(std::make_unique<PortProbe>(port, makePort_(), clock_, sink_, observer_));
    }
    running_ = true;
    for (const auto& probe : probes_) {
        probe->start(rates_, patience);
    }
    advance();
}

void ControllerSearch::cancel() {
    for (const auto& probe : probes_) {
        probe->stop();
    }
    running_ = false;
}

bool ControllerSearch::onRxReady(std::uint32_t tag) {
    for (const auto& probe : probes_) {
        if (probe->owns(tag)) {
            probe->onRxReady();
            advance();
            return true;
        }
    }
    return false;
}

bool ControllerSearch::onHangUp(std::uint32_t tag) {
    for (const auto& probe : probes_) {
        if (probe->owns(tag)) {
            probe->onHangUp();
            advance();
            return true;
        }
    }
    return false;
}

std::optional<LinkClock::TimePoint> ControllerSearch::nextDeadline() const {
    std::optional<LinkClock::TimePoint> next;
    for (const auto& probe : probes_) {
        if (const auto due = probe->nextDeadline(); due && (!next || *due < *next)) {
            next = due;
        }
    }
    return next;
}

void ControllerSearch::poll() {
    for (const auto& probe : probes_) {
        probe->poll();
    }
    advance();
}

void ControllerSearch::advance() {
    bool trying = false;
    bool answered = false;
    for (const auto& probe : probes_) {
        probe->advance();
        trying = trying || probe->state() == PortProbe::State::Trying;
        answered = answered || probe->state() == PortProbe::State::Answered;
    }
    if (!trying || (firstOnly_ && answered)) {
        cancel();
    }
}

std::size_t ControllerSearch::tried() const {
    std::size_t tries = 0;
    for (const auto& probe : probes_) {
        tries += probe->tried();
    }
    return tries;
}

std::string ControllerSearch::underWay() const {
    std::string text;
    for (const auto& probe : probes_) {
        if (probe->state() == PortProbe::State::Trying) {
            text += (text.empty() ? "" : ", ") + probe->port() + " at " + std::to_string(probe->baudRate());
        }
    }
    return text;
}

std::vector<ControllerSearch::Found> ControllerSearch::found() const {
    std::vector<Found> found;
    for (const auto& probe : probes_) {
        if (probe->state() == PortProbe::State::Answered) {
            found.push_back({probe->port(), probe->baudRate()});
        }
    }
    return found;
}

std::vector<ControllerSearch::Settled> ControllerSearch::settled() const {
    std::vector<Settled> settled;
    for (const auto& probe : probes_) {
        if (probe->state() == PortProbe::State::Answered) {
            settled.emplace_back(Found{probe->port(), probe->baudRate()});
        } else if (probe->state() == PortProbe::State::Silent) {
            settled.emplace_back(Silent{probe->port(), probe->heardAt(), probe->failure()});
        }
    }
    return settled;
}

std::vector<ControllerSearch::Silent> ControllerSearch::silent() const {
    std::vector<Silent> silent;
    for (const auto& probe : probes_) {
        if (probe->state() != PortProbe::State::Answered) {
            silent.push_back({probe->port(), probe->heardAt(), probe->failure()});
        }
    }
    return silent;
}

} // namespace tq37r
