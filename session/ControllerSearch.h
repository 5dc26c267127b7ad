#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "session/PortProbe.h"

namespace tq37r {

// The COM names of the window's port list that stand for a device on this machine: where a
// search looks unless told otherwise.
std::vector<std::string> listedPortsPresent(const SerialPort& port);

// Finds the ports and rates at which the controller answers: every port at once, each on a port
// and link of its own (ports are independent lines), each trying the rates in the order given,
// fastest first, until it answers. A search takes about as long as the slowest port's tries.
// Its owner hands it the port notifications whose tags it owns and polls it by its deadline;
// it calls advance() itself after each of those, as moving on closes and opens lines.
class ControllerSearch {
public:
    // Makes a closed port of the face's kind for one port of a search.
    using PortMaker = std::function<std::unique_ptr<SerialPort>()>;

    struct Found {
        std::string port;
        std::uint32_t baudRate = 0;
        friend bool operator==(const Found&, const Found&) = default;
    };
    // A port that did not answer: at which rates bytes came all the same (something answers
    // there at another rate), or why it could not be tried.
    struct Silent {
        std::string port;
        std::vector<std::uint32_t> heardAt;
        OpenFailure failure = OpenFailure::None;
    };

    ControllerSearch(PortMaker makePort, LinkClock& clock, SerialEventSink& sink)
        : makePort_(std::move(makePort)), clock_(clock), sink_(sink) {}

    // Starts every port; `firstOnly` ends the whole search at the first answer.
    void start(const std::vector<std::string>& ports, std::vector<std::uint32_t> rates,
               std::chrono::milliseconds patience, bool firstOnly);
    // Closes every line and gives up what was not tried.
    void cancel();
    bool running() const { return running_; }
    // Who hears of the search's lines (a line log); set before start.
    void setObserver(LinkObserver* observer) { observer_ = observer; }

    // False when the tag is not one of the search's lines.
    bool onRxReady(std::uint32_t tag);
    bool onHangUp(std::uint32_t tag);
    std::optional<LinkClock::TimePoint> nextDeadline() const;
    void poll();

    // For a progress display: tries begun so far, out of how many at most, and those under way
    // ("COM1 at 57600, COM3 at 38400").
    std::size_t tried() const;
    std::size_t total() const { return probes_.size() * rates_.size(); }
    std::string underWay() const;
    // In the order the ports were given, whenever they answered.
    std::vector<Found> found() const;
    std::vector<Silent> silent() const;
    // The ports whose search is over, answered or silent, in the order the ports were given; a
    // cancelled search's ports still trying are not among them.
    using Settled = std::variant<Found, Silent>;
    std::vector<Settled> settled() const;

private:
    void advance();

    PortMaker makePort_;
    LinkClock& clock_;
    SerialEventSink& sink_;
    LinkObserver* observer_ = nullptr;
    std::vector<std::unique_ptr<PortProbe>> probes_;
    std::vector<std::uint32_t> rates_;
    bool firstOnly_ = false;
    bool running_ = false;
};

} // namespace tq37r
