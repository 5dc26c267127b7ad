#include "sim/SimLoop.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include "device/Codes.h"
#include "device/ControllerLink.h"
#include "device/Requests.h"
#include "protocol/Frame.h"
#include "serial/posix/KernelBaudRate.h"

namespace tq37r::sim {

namespace {

// A report is skipped rather than queued behind this much unsent output: while nobody
// reads the line, stale reports would otherwise delay the answers to the next requests.
constexpr std::size_t kReportBacklogLimit = 64;
// Telemetry rides along with every n-th state report.
constexpr std::uint64_t kF2Every = 4;
constexpr std::uint64_t kF3Every = 10;
constexpr std::chrono::milliseconds kFloodCatchUp{5};
// The first read is stamped when this process gets to it, which on a busy machine can be 10 to
// 20 ms late: this much of the gap is forgiven, so that a tool keeping it to the millisecond is not
// refused. One that does not wait still is: its second read follows within the first one's answer,
// under 70 ms down to 4800 baud.
constexpr std::chrono::milliseconds kLateStampAllowance{30};

timespec toTimespec(std::chrono::nanoseconds d) {
    if (d.count() < 0) {
        d = std::chrono::nanoseconds(0);
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(d);
    return {static_cast<time_t>(seconds.count()), static_cast<long>((d - seconds).count())};
}

} // namespace

SimLoop::SimLoop(const SimOptions& options, SimController& controller, PseudoTerminal& pty, int signalFd)
    : options_(options), controller_(controller), pty_(pty), signalFd_(signalFd),
      faults_(options.faults, options.seed.value_or(1) ^ 0x5A5AA5A5u), line_(options.baud),
      input_(options.baud) {}

int SimLoop::run() {
    const Clock::time_point start = Clock::now();
    nextReport_ = start + std::chrono::milliseconds(options_.reportMs);
    if (options_.exitAfterMs) {
        deadline_ = start + std::chrono::milliseconds(*options_.exitAfterMs);
    }
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (deadline_ && now >= *deadline_) {
            return 0;
        }
        takeArrived(now);
        releaseDueReplies(now);
        if (options_.flood) {
            if (line_.pending() == 0) {
                // The controller's UART goes on where it stopped: a late wake-up here costs the
                // flood no line time, while a line that stood idle longer (a full pty) starts afresh.
                sendReport(std::max(line_.freeAt(), now - kFloodCatchUp));
            }
        } else if (options_.reportMs > 0 && now >= nextReport_) {
            sendReport(nextReport_);
            while (nextReport_ <= now) {
                nextReport_ += std::chrono::milliseconds(options_.reportMs);
            }
        }
        if (!writeThrough(Clock::now())) {
            return 1;
        }

        std::array<pollfd, 2> fds{{{pty_.master(), POLLIN, 0}, {signalFd_, POLLIN, 0}}};
        if (line_.waitingForRoom()) {
            fds[0].events |= POLLOUT;
        }
        const std::optional<Clock::time_point> wake = nextWake();
        timespec timeout{};
        if (wake) {
            timeout = toTimespec(*wake - Clock::now());
        }
        if (ppoll(fds.data(), fds.size(), wake ? &timeout : nullptr, nullptr) < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::perror("tq37r-sim: poll");
            return 1;
        }
        if (fds[1].revents & POLLIN) {
            const Step step = readSignal();
            if (step != Step::Continue) {
                return step == Step::Stop ? 0 : 1;
            }
        }
        if (fds[0].revents & POLLOUT) {
            line_.roomAvailable();
        }
        if (fds[0].revents & POLLIN) {
            if (readRequests() == Step::Failed) {
                return 1;
            }
        }
    }
}

std::optional<SimLoop::Clock::time_point> SimLoop::nextWake() const {
    std::optional<Clock::time_point> wake = line_.nextWrite();
    const auto earliest = [&wake](Clock::time_point t) {
        if (!wake || t < *wake) {
            wake = t;
        }
    };
    if (const auto arrival = input_.nextArrival()) {
        earliest(*arrival);
    }
    if (!delayed_.empty()) {
        earliest(delayed_.front().due);
    }
    if (options_.flood && line_.pending() == 0) {
        earliest(Clock::now());
    } else if (options_.reportMs > 0 && !options_.flood) {
        earliest(nextReport_);
    }
    if (deadline_) {
        earliest(*deadline_);
    }
    return wake;
}

SimLoop::Step SimLoop::readSignal() {
    signalfd_siginfo info{};
    if (::read(signalFd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) {
        return Step::Continue;
    }
    if (info.ssi_signo == SIGUSR1) {
        // Pulling the plug: the tool sees its line hang up; nothing more is sent.
        pty_.hangUp();
    }
    return Step::Stop;
}

SimLoop::Step SimLoop::readRequests() {
    std::array<std::uint8_t, 512> buffer{};
    const ssize_t count = ::read(pty_.master(), buffer.data(), buffer.size());
    if (count < 0) {
        if (errno == EAGAIN || errno == EINTR) {
            return Step::Continue;
        }
        std::perror("tq37r-sim: read");
        return Step::Failed;
    }
    const std::span<const std::uint8_t> bytes{buffer.data(), static_cast<std::size_t>(count)};
    if (!rateMatches()) {
        // Nothing of it is understood, and a frame under way is broken.
        receiver_.reset();
        auto tally = [this](std::span<const std::uint8_t> frameBytes) {
            ++stats_.requestsWrongRate[frameBytes[frame::kCodeOffset]];
        };
        misheard_.feed(bytes, tally);
        return Step::Continue;
    }
    const Clock::time_point now = Clock::now();
    input_.add(bytes, now);
    takeArrived(now);
    return Step::Continue;
}

void SimLoop::takeArrived(Clock::time_point now) {
    const PacedInput::Arrived arrived = input_.take(now);
    auto handler = [this](std::span<const std::uint8_t> frameBytes) { onRequest(frameBytes); };
    // A byte at a time, so that each request is answered from when its own last byte came.
    for (std::size_t i = 0; i < arrived.bytes.size(); ++i) {
        requestEnd_ = arrived.at(i);
        receiver_.feed(arrived.bytes.subspan(i, 1), handler);
    }
}

bool SimLoop::rateMatches() const {
    return options_.baud == 0 || kernelBaudRate(pty_.master()) == options_.baud;
}

bool SimLoop::tooSoonAfterFirstRead(Clock::time_point now) const {
    return firstReadAt_ && now - *firstReadAt_ < request::kReadPairPause - kLateStampAllowance;
}

void SimLoop::onRequest(std::span<const std::uint8_t> frameBytes) {
    const std::uint8_t code = frameBytes[frame::kCodeOffset];
    ++stats_.requestsReceived[code];
    if (faults_.dropRequest()) {
        ++stats_.requestsDropped;
        return;
    }
    if (code == code::kReadGainBlock1) {
        firstReadAt_ = Clock::now();
    } else if (code == code::kReadGainBlock2 && options_.strictGap && tooSoonAfterFirstRead(Clock::now())) {
        ++stats_.requestsIgnoredGap;
        return;
    }
    replies_.clear();
    controller_.handleRequest(frameBytes, replies_);
    const Clock::time_point due = requestEnd_ + std::chrono::milliseconds(options_.delayMs);
    for (WireFrame& reply : replies_) {
        delayed_.push_back({due, std::move(reply)});
    }
    releaseDueReplies(Clock::now());
}

void SimLoop::releaseDueReplies(Clock::time_point now) {
    while (!delayed_.empty() && delayed_.front().due <= now) {
        send(delayed_.front().bytes, delayed_.front().due);
        delayed_.pop_front();
    }
}

void SimLoop::sendReport(Clock::time_point from) {
    if (line_.waitingForRoom() || line_.pending() > kReportBacklogLimit) {
        ++stats_.reportsSkipped;
        return;
    }
    ++reportCount_;
    send(controller_.stateReport(), from);
    if (reportCount_ % kF2Every == 0) {
        send(controller_.telemetryF2(), from);
    }
    if (reportCount_ % kF3Every == 0) {
        send(controller_.telemetryF3(), from);
    }
}

void SimLoop::send(const WireFrame& frameBytes, Clock::time_point from) {
    shaped_.clear();
    const FaultInjector::Outcome outcome = faults_.shape(frameBytes, shaped_);
    stats_.noiseBytes += outcome.noiseBytes;
    const std::uint64_t start = line_.written() + line_.pending();
    line_.send(shaped_, from);
    outgoing_.push_back({start, start + shaped_.size(), frameBytes[frame::kCodeOffset], outcome.corrupted});
}

bool SimLoop::writeThrough(Clock::time_point now) {
    const std::optional<Clock::time_point> next = line_.nextWrite();
    if (!next || *next > now) {
        return true;
    }
    // The rate is read as the bytes go out, not when they were queued: a tool that has turned to
    // another rate hears garbage from then on, never the rest of a frame.
    const bool garbled = !rateMatches();
    const std::uint64_t before = line_.written();
    if (line_.pump(pty_.master(), now, garbled ? &faults_ : nullptr) == PacedLine::Result::HungUp) {
        return false;
    }
    tallyWritten(before, garbled);
    return true;
}

void SimLoop::tallyWritten(std::uint64_t before, bool garbled) {
    const std::uint64_t after = line_.written();
    if (garbled && after > before) {
        for (auto f = outgoing_.begin(); f != outgoing_.end() && f->start < after; ++f) {
            f->garbled = true;
        }
    }
    for (; !outgoing_.empty() && outgoing_.front().end <= after; outgoing_.pop_front()) {
        const Outgoing& f = outgoing_.front();
        auto& byCode = f.garbled     ? stats_.framesGarbled
                       : f.corrupted ? stats_.framesCorrupted
                                     : stats_.framesSent;
        ++byCode[f.code];
    }
}

} // namespace tq37r::sim
