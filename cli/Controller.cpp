#include "cli/Controller.h"

#include <memory>
#include <string>

#include "cli/CommandError.h"
#include "device/FrameText.h"
#include "device/HexText.h"

namespace tq37r::cli {

Controller::Controller(SerialPort& port, LineWait& line, Timing timing, ControllerSearch::PortMaker makePort)
    : line_(line), timing_(timing),
      session_(port, line, line, *this, SessionOptions{timing.timeout, timing.retries, false},
               std::move(makePort)) {}

OpenResult Controller::open(std::string_view portName, std::uint32_t baudRate) {
    return session_.open(portName, baudRate);
}

Reply Controller::ask(const Request& request) {
    return askAll({request}).front();
}

std::vector<Reply> Controller::askAll(const std::vector<Request>& requests) {
    // Shared with the completions, which the session may still hold if this is left early.
    struct Answers {
        std::vector<std::optional<Reply>> replies;
        std::optional<std::size_t> failed;
        std::size_t count = 0;
    };
    const auto answers = std::make_shared<Answers>();
    answers->replies.resize(requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const bool queued = session_.send(requests[i], [answers, i](const Reply* reply) {
            if (reply != nullptr) {
                answers->replies[i] = *reply;
                ++answers->count;
            } else if (!answers->failed) {
                answers->failed = i;
            }
        });
        if (!queued) {
            throw CommandError(kExitNoAnswer, "the line is closed");
        }
    }
    runLine([&] { return answers->failed || answers->count == requests.size(); }, std::nullopt);
    if (interrupted_) {
        throw CommandError(kExitInterrupted, "interrupted");
    }
    if (answers->failed) {
        const Request& request = requests[*answers->failed];
        const int attempts = 1 + timing_.retries;
        throw CommandError(kExitNoAnswer, "no answer to " + describeRequest(request) + " (0x" +
                                              hexByte(request.code) + ") after " + std::to_string(attempts) +
                                              (attempts == 1 ? " try" : " tries"));
    }
    std::vector<Reply> replies;
    for (std::optional<Reply>& reply : answers->replies) {
        replies.push_back(std::move(*reply));
    }
    return replies;
}

Gains Controller::readBlocks(bool first, bool second) {
    std::vector<Request> reads;
    if (first) {
        reads.push_back(request::readGainBlock(GainBlock::First));
    }
    if (second) {
        reads.push_back(request::readGainBlock(GainBlock::Second));
    }
    askAll(reads);
    // The session has learnt them: what it knows is what the controller holds.
    Gains gains{};
    for (std::size_t i = 0; i < kGainCount; ++i) {
        gains[i] = session_.gains().controllerValue(i).value_or(0);
    }
    return gains;
}

reply::FirmwareVersion Controller::readFirmware() {
    // The acknowledgement of 92 comes too; the version is what was asked for.
    return std::get<reply::FirmwareVersion>(ask(request::firmwareVersion()));
}

void Controller::sendRow(GainGroup group, const Gains& gains) {
    const std::size_t first = firstGainOf(group);
    ask(request::setGainRow(group, gains[first], gains[first + 1], gains[first + 2]));
}

SaveVerdict Controller::save() {
    verdict_.reset();
    ask(request::saveConfiguration());
    runLine([this] { return verdict_.has_value(); }, std::nullopt);
    if (interrupted_) {
        throw CommandError(kExitInterrupted, "interrupted");
    }
    return *verdict_;
}

const ControllerSearch& Controller::findController(
    const std::vector<std::string>& ports, std::vector<std::uint32_t> rates,
    const std::function<void(const ControllerSearch& search, std::chrono::milliseconds elapsed)>& moved) {
    const LineWait::TimePoint start = line_.now();
    const ControllerSearch& search = session_.search();
    std::pair<std::size_t, std::size_t> announced{0, 0}; // tries begun, ports settled
    const auto announce = [&] {
        const std::pair now{search.tried(), search.settled().size()};
        if (now != announced || !search.running()) {
            announced = now;
            moved(search, std::chrono::duration_cast<std::chrono::milliseconds>(line_.now() - start));
        }
    };
    session_.startSearch(ports, std::move(rates), timing_.timeout, false);
    announce();
    runLine(
        [&] {
            announce();
            return !search.running();
        },
        std::nullopt);
    session_.cancelSearch(); // an interrupt leaves it running
    return search;
}

void Controller::watchReports(std::optional<std::chrono::milliseconds> duration,
                              const std::function<void(const reply::StateReport&)>& onReport) {
    std::optional<LineWait::TimePoint> until;
    if (duration) {
        until = line_.now() + *duration;
    }
    onAnyFrame_ = [&onReport](const Reply& reply) {
        if (const auto* report = std::get_if<reply::StateReport>(&reply)) {
            onReport(*report);
        }
    };
    runLine([] { return false; }, until);
    onAnyFrame_ = nullptr;
}

void Controller::onReply(const Reply& reply) {
    if (onAnyFrame_) {
        onAnyFrame_(reply);
    }
}

void Controller::onSaveChecked(const SaveVerdict& verdict) {
    verdict_ = verdict;
}

void Controller::runLine(const std::function<bool()>& done, std::optional<LineWait::TimePoint> until) {
    while (!done()) {
        std::optional<LineWait::TimePoint> wake = session_.nextDeadline();
        if (until && (!wake || *until < *wake)) {
            wake = until;
        }
        const LineWait::Seen seen = line_.wait(wake);
        for (const std::uint32_t tag : seen.hungUp) {
            session_.onHangUp(tag); // one of a line the search has left is no news
        }
        if (hungUp_) {
            throw CommandError(kExitNoAnswer, "the line hung up: the device went away");
        }
        if (seen.interrupted) {
            interrupted_ = true;
            return;
        }
        for (const std::uint32_t tag : seen.rxReady) {
            session_.onRxReady(tag);
        }
        session_.poll();
        if (until && line_.now() >= *until) {
            return;
        }
    }
}

} // namespace tq37r::cli
