#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/ControllerLink.h"

namespace tq37r {

// The COM names of the window's port list that stand for a device on this machine: where a
// search looks unless told otherwise.
std::vector<std::string> listedPortsPresent(const SerialPort& port);

// Finds the ports and rates at which the controller answers: each port at each rate, in the
// order given (rates fastest first), asked for the first gain block, a request that changes
// nothing. It never sends 92 00, which would switch automatic return off. Each try lasts at
// most its patience, so a search takes no longer than ports x rates x patience. A port that
// cannot be opened is passed over, and so are a port's other rates once it has answered.
//
// The search uses its owner's link and leaves it closed. The owner hands it the link's frames
// and missing answers, and calls advance() after each of the link's calls has returned (never
// from inside the link's listener, since moving on closes and opens the line).
class ControllerSearch {
public:
    struct Found {
        std::string port;
        std::uint32_t baudRate = 0;
        friend bool operator==(const Found&, const Found&) = default;
    };

    ControllerSearch(ControllerLink& link, SerialEventSink& sink) : link_(link), sink_(sink) {}

    // Opens the first port and asks; `firstOnly` ends the search at the first answer.
    void start(std::vector<std::string> ports, std::vector<std::uint32_t> rates,
               std::chrono::milliseconds patience, bool firstOnly);
    // Closes the line and gives up what was not tried.
    void cancel();
    bool running() const { return step_ != Step::Idle; }

    void onFrame(const Reply& reply, std::optional<Answer> answered);
    void onUnanswered(const Answer& answer);
    // The device of the port being tried went away: no answer will come from it.
    void onHangUp();
    void advance();

    // For a progress display: tries begun so far, out of how many at most, and the one under way.
    std::size_t tried() const { return next_; }
    std::size_t total() const { return ports_.size() * rates_.size(); }
    const std::string& port() const { return ports_[current() / rates_.size()]; }
    std::uint32_t baudRate() const { return rates_[current() % rates_.size()]; }
    const std::vector<Found>& found() const { return found_; }

private:
    enum class Step { Idle, Waiting, Answered, Missed };

    std::size_t current() const { return next_ == 0 ? 0 : next_ - 1; }
    // Opens and asks at the next candidate that can be opened; Idle when none is left.
    void tryNext();

    ControllerLink& link_;
    SerialEventSink& sink_;
    std::vector<std::string> ports_;
    std::vector<std::uint32_t> rates_;
    std::chrono::milliseconds patience_{0};
    bool firstOnly_ = false;
    std::size_t next_ = 0; // candidate index: port-major, rate-minor
    Step step_ = Step::Idle;
    std::vector<Found> found_;
};

} // namespace tq37r
