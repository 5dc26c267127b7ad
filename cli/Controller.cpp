#include "cli/Controller.h"

#include <cstdio>
#include <string>

#include "cli/CommandError.h"
#include "device/FrameText.h"

namespace tq37r::cli {

namespace {

std::string hex(std::uint8_t code) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", code);
    return text;
}

} // namespace

Controller::Controller(SerialPort& port, LineWait& line, Timing timing)
    : line_(line), timing_(timing), link_(port, *this, *this, buffers_), search_(link_, line) {}

OpenResult Controller::open(std::string_view portName, std::uint32_t baudRate) {
    return link_.open(portName, PortSettings{baudRate, timing_.timeout}, line_);
}

Reply Controller::ask(const Request& request) {
    const int attempts = 1 + timing_.retries;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        awaited_ = request.answer;
        answer_.reset();
        unanswered_ = false;
        // A write that timed out counts as a try: the line may free up for the next one.
        if (!link_.send(request, timing_.timeout)) {
            continue;
        }
        runLine([this] { return answer_ || unanswered_; }, std::nullopt);
        if (answer_) {
            awaited_.reset();
            return *answer_;
        }
    }
    awaited_.reset();
    throw CommandError(kExitNoAnswer, "no answer to " + describeRequest(request) + " (" + hex(request.code) +
                                          ") after " + std::to_string(attempts) +
                                          (attempts == 1 ? " try" : " tries"));
}

reply::GainReadBack Controller::readBlock(GainBlock block) {
    return std::get<reply::GainReadBack>(ask(request::readGainBlock(block)));
}

Gains Controller::readGains() {
    Gains gains{};
    for (const GainBlock block : {GainBlock::First, GainBlock::Second}) {
        const reply::GainReadBack readBack = readBlock(block);
        for (std::size_t i = 0; i < kGainCount; ++i) {
            if (readBack.carries(i)) {
                gains[i] = readBack.values[i];
            }
        }
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

void Controller::save() {
    ask(request::saveConfiguration());
}

std::vector<ControllerSearch::Found>
Controller::findController(std::vector<std::string> ports, std::vector<std::uint32_t> rates,
                           const std::function<void(const std::string& port, std::uint32_t baudRate,
                                                    std::chrono::milliseconds elapsed)>& trying) {
    const TimePoint start = line_.now();
    std::size_t announced = 0;
    const auto announce = [&] {
        if (search_.running() && search_.tried() != announced) {
            announced = search_.tried();
            trying(search_.port(), search_.baudRate(),
                   std::chrono::duration_cast<std::chrono::milliseconds>(line_.now() - start));
        }
    };
    search_.start(std::move(ports), std::move(rates), timing_.timeout, false);
    announce();
    runLine(
        [&] {
            announce();
            return !search_.running();
        },
        std::nullopt);
    search_.cancel(); // an interrupt leaves it running
    return search_.found();
}

void Controller::watchReports(std::optional<std::chrono::milliseconds> duration,
                              const std::function<void(const reply::StateReport&)>& onReport) {
    std::optional<TimePoint> until;
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

void Controller::pause(std::chrono::milliseconds duration) {
    runLine([] { return false; }, line_.now() + duration);
}

void Controller::onFrame(const Reply& reply, std::optional<Answer> answered) {
    if (search_.running()) {
        search_.onFrame(reply, answered);
        return;
    }
    if (answered && answered == awaited_) {
        // A frame of the awaited code too short for its layout decodes to nothing: ask again.
        if (std::holds_alternative<reply::Ignored>(reply)) {
            unanswered_ = true;
        } else {
            answer_ = reply;
        }
    }
    if (onAnyFrame_) {
        onAnyFrame_(reply);
    }
}

void Controller::onUnanswered(const Answer& answer) {
    if (search_.running()) {
        search_.onUnanswered(answer);
        return;
    }
    if (answer == awaited_) {
        unanswered_ = true;
    }
}

void Controller::runLine(const std::function<bool()>& done, std::optional<TimePoint> until) {
    while (!done()) {
        std::optional<TimePoint> wake = link_.nextDeadline();
        if (until && (!wake || *until < *wake)) {
            wake = until;
        }
        const LineWait::Seen seen = line_.wait(wake);
        // A hang-up of a line the search has already left is no news.
        if (seen.hungUp && link_.isCurrent(*seen.hungUp)) {
            if (!search_.running()) {
                link_.hungUp();
                throw CommandError(kExitNoAnswer, "the line hung up: the device went away");
            }
            search_.onHangUp();
        }
        if (seen.interrupted) {
            interrupted_ = true;
            return;
        }
        if (seen.rxReady) {
            link_.onRxReady();
        }
        link_.poll();
        search_.advance(); // only here, after the link's calls: moving on closes the line
        if (until && line_.now() >= *until) {
            return;
        }
    }
}

} // namespace tq37r::cli
