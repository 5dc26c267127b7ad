#include "cli/Controller.h"

#include <cstdio>
#include <string>

#include "cli/CommandError.h"
#include "cli/GainTable.h"
#include "device/Codes.h"
#include "device/Requests.h"
#include "protocol/FrameIo.h"
#include "protocol/LineTime.h"

namespace tq37r::cli {

namespace {

std::string hex(std::uint8_t code) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", code);
    return text;
}

auto acknowledges(std::uint8_t requestCode) {
    return [requestCode](const Reply& reply) {
        const auto* ack = std::get_if<reply::Acknowledgement>(&reply);
        return ack != nullptr && ack->acknowledgedCode == requestCode;
    };
}

// An answer check that takes the first reply of type R into `into`.
template <typename R> auto takes(R& into) {
    return [&into](const Reply& reply) {
        const auto* answer = std::get_if<R>(&reply);
        if (answer != nullptr) {
            into = *answer;
        }
        return answer != nullptr;
    };
}

} // namespace

Controller::Controller(SerialPort& port, Timing timing) : port_(port), timing_(timing) {}

Controller::~Controller() {
    port_.close();
}

OpenResult Controller::open(std::string_view portName, std::uint32_t baudRate) {
    OpenResult opened = port_.open(portName, PortSettings{baudRate, timing_.timeout});
    if (opened) {
        baudRate_ = baudRate;
        quietGap_ = frameQuietGap(baudRate);
        receiver_.reset();
        port_.setNotifySink(&events_, 0);
    }
    return opened;
}

Gains Controller::readGains() {
    reply::GainBlock1 first;
    reply::GainBlock2 second;
    const Clock::time_point firstSent =
        ask(request::readGainBlock1(tx_), "the first gain read (" + hex(code::kReadGainBlock1) + ")",
            takes(first));
    // Keep reading meanwhile, so what arrives in the gap does not pile up.
    waitFor(firstSent + request::kReadPairGap, [](const Reply&) { return false; });
    ask(request::readGainBlock2(tx_), "the second gain read (" + hex(code::kReadGainBlock2) + ")",
        takes(second));
    return gainsFromBlocks(first, second);
}

reply::FirmwareVersion Controller::readFirmware() {
    reply::FirmwareVersion version;
    // The acknowledgement of 92 comes first; the version is what was asked for.
    ask(request::firmwareVersion(tx_), "the firmware query (" + hex(code::kAutoReturn) + " 00)",
        takes(version));
    return version;
}

void Controller::sendRow(std::size_t row, const Gains& gains) {
    const GainGroup group = rowGroup(row);
    const std::size_t first = row * 3;
    const std::size_t byteCount =
        request::setGainGroup(tx_, group, gains[first], gains[first + 1], gains[first + 2]);
    ask(byteCount, "the " + std::string(kRowNames[row]) + " row (" + hex(gainGroupCode(group)) + ")",
        acknowledges(gainGroupCode(group)));
}

void Controller::save() {
    ask(request::saveConfiguration(tx_), "the save (" + hex(code::kSaveConfiguration) + ")",
        acknowledges(code::kSaveConfiguration));
}

void Controller::watchReports(std::optional<Clock::time_point> until,
                              const std::function<void(const reply::StateReport&)>& onReport) {
    waitFor(until, [&onReport](const Reply& reply) {
        if (const auto* report = std::get_if<reply::StateReport>(&reply)) {
            onReport(*report);
        }
        return false;
    });
}

Controller::Clock::time_point Controller::ask(std::size_t byteCount, std::string_view what,
                                              const Check& answered) {
    const int attempts = 1 + timing_.retries;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        // A write that timed out counts as a try: the line may free up for the next one.
        if (!sendFrame(port_, tx_, byteCount)) {
            continue;
        }
        const Clock::time_point sent = Clock::now();
        if (waitFor(sent + timing_.timeout, answered)) {
            // The write returns once the driver has the bytes; they are on the line only later.
            return sent + lineTime(byteCount, baudRate_);
        }
    }
    throw CommandError(kExitNoAnswer, "no answer to " + std::string(what) + " after " +
                                          std::to_string(attempts) + (attempts == 1 ? " try" : " tries"));
}

bool Controller::waitFor(std::optional<Clock::time_point> deadline, const Check& check) {
    bool answered = false;
    auto handler = [&](std::span<const std::uint8_t> frameBytes) {
        if (!answered && check(decodeReply(frameBytes))) {
            answered = true;
        }
    };
    while (!answered) {
        // A frame that stopped arriving is given up after a quiet gap, so a stray header byte
        // on a noisy line cannot swallow the answer behind it.
        std::optional<Clock::time_point> wake = deadline;
        if (receiver_.midFrame() && (!wake || lastArrival_ + quietGap_ < *wake)) {
            wake = lastArrival_ + quietGap_;
        }
        const PortEvents::Seen seen = events_.wait(wake);
        if (seen.hungUp) {
            throw CommandError(kExitNoAnswer, "the line hung up: the device went away");
        }
        if (seen.interrupted) {
            return false;
        }
        const Clock::time_point now = Clock::now();
        if (seen.rxReady) {
            lastArrival_ = now;
            drainPort(port_, receiver_, handler);
        } else if (receiver_.midFrame() && now >= lastArrival_ + quietGap_) {
            receiver_.abandonFrame(handler);
        }
        if (!answered && deadline && now >= *deadline) {
            return false;
        }
    }
    return true;
}

} // namespace tq37r::cli
