#include "device/ControllerLink.h"

#include <algorithm>
#include <atomic>

#include "protocol/FrameIo.h"

namespace tq37r {

ControllerLink::ControllerLink(SerialPort& port, LinkClock& clock, LinkListener& listener)
    : port_(port), clock_(clock), listener_(listener) {}

ControllerLink::~ControllerLink() {
    // The watcher must be gone before whatever it posts to.
    port_.close();
}

namespace {

// Every link's opens have tags of their own, so one sink can serve several links at once.
std::uint32_t newTag() {
    static std::atomic<std::uint32_t> last{0};
    return ++last;
}

} // namespace

OpenResult ControllerLink::open(std::string_view portName, const PortSettings& settings,
                                SerialEventSink& sink) {
    tag_ = newTag(); // from now on, whatever an earlier open's watcher posted is stale
    OpenResult opened = port_.open(portName, settings);
    if (!opened) {
        return opened;
    }
    if (observer_ != nullptr) {
        observer_->opened(portName, settings.baudRate, clock_.now());
    }
    quietGap_ = frameQuietGap(settings.baudRate);
    receiver_.reset();
    awaited_.clear();
    bytesIn_ = 0;
    port_.setNotifySink(&sink, tag_);
    return opened;
}

void ControllerLink::setObserver(LinkObserver* observer) {
    observer_ = observer;
    receiver_.setObserver(observer != nullptr ? this : nullptr);
}

void ControllerLink::hungUp() {
    if (observer_ != nullptr && port_.isOpen()) {
        observer_->hungUp(clock_.now());
    }
    close();
}

void ControllerLink::close() {
    if (observer_ != nullptr && port_.isOpen()) {
        observer_->closed(clock_.now());
    }
    port_.close();
    tag_ = newTag();
    awaited_.clear(); // nothing more can come from a closed port
}

bool ControllerLink::send(const Request& request, std::chrono::milliseconds patience) {
    if (!port_.isOpen()) {
        return false;
    }
    if (tx_.assemble(request.code, request.payload()) == 0 || !sendFrame(port_, tx_)) {
        return false;
    }
    const TimePoint sent = clock_.now();
    if (observer_ != nullptr) {
        observer_->sent(tx_.assembled(), sent);
    }
    if (request.answer.kind != Answer::Kind::None) {
        awaited_.push_back({request, sent + patience});
    }
    return true;
}

void ControllerLink::onRxReady() {
    lastArrival_ = clock_.now();
    drain();
}

void ControllerLink::drain() {
    auto handler = [this](std::span<const std::uint8_t> frameBytes) { frameArrived(frameBytes); };
    bytesIn_ += drainPort(port_, receiver_, handler);
}

void ControllerLink::frameArrived(std::span<const std::uint8_t> frameBytes) {
    if (observer_ != nullptr) {
        observer_->received(frameBytes, lastArrival_);
    }
    // Any answer counts, late or not, even one that shows nothing (a failed self-test).
    std::optional<Answer> answered;
    const auto found = std::find_if(awaited_.begin(), awaited_.end(), [frameBytes](const Awaited& a) {
        return a.request.answer.answeredBy(frameBytes);
    });
    if (found != awaited_.end()) {
        answered = found->request.answer;
        awaited_.erase(found);
    }
    listener_.onFrame(decodeReply(frameBytes), answered);
}

void ControllerLink::skipped(std::span<const std::uint8_t> bytes) {
    observer_->skipped(bytes, lastArrival_);
}

void ControllerLink::badFrame(std::span<const std::uint8_t> bytes, BadFrame why) {
    // A frame given up after the quiet gap is given up now, not when its bytes came.
    observer_->dropped(bytes, why, why == BadFrame::GivenUp ? clock_.now() : lastArrival_);
}

std::optional<ControllerLink::TimePoint> ControllerLink::nextDeadline() const {
    std::optional<TimePoint> next;
    if (receiver_.midFrame() && port_.isOpen()) {
        next = lastArrival_ + quietGap_;
    }
    for (const Awaited& a : awaited_) {
        if (!next || a.due < *next) {
            next = a.due;
        }
    }
    return next;
}

void ControllerLink::poll() {
    const TimePoint now = clock_.now();
    if (receiver_.midFrame() && port_.isOpen() && now >= lastArrival_ + quietGap_) {
        if (const auto queued = port_.queuedInput(); queued && *queued > 0) {
            // Still waiting in the driver: those bytes did arrive in time, they only were not read yet.
            onRxReady();
        } else {
            // Given up like a bad checksum; a good frame inside it is still found.
            auto handler = [this](std::span<const std::uint8_t> frameBytes) { frameArrived(frameBytes); };
            receiver_.abandonFrame(handler);
        }
    }
    std::vector<Request> overdue;
    std::erase_if(awaited_, [&](const Awaited& a) {
        if (a.due > now) {
            return false;
        }
        overdue.push_back(a.request);
        return true;
    });
    for (const Request& request : overdue) {
        if (observer_ != nullptr) {
            observer_->unanswered(request, now);
        }
        listener_.onUnanswered(request.answer);
    }
}

} // namespace tq37r
