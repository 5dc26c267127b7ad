#include "serial/SerialNotifier.h"

namespace tq37r {

void SerialNotifier::reset() {
    rxOutstanding_.store(false);
    hangUpPending_.store(false);
}

void SerialNotifier::setSink(SerialEventSink* sink, std::uint32_t tag) {
    // Tag before sink: a watcher that sees the new sink also sees its tag.
    const std::uint32_t oldTag = tag_.exchange(tag);
    SerialEventSink* const oldSink = sink_.exchange(sink);
    // An announcement made to another sink or tag will never be drained by this one. Cleared
    // after the exchange, so an announcement racing with it cannot leave the flag set for a
    // post the new sink never got; at worst the new sink hears twice, and a drain of an empty
    // queue is harmless.
    if (oldSink != sink || oldTag != tag) {
        rxOutstanding_.store(false);
    }
    postPendingHangUp();
}

void SerialNotifier::drained() {
    rxOutstanding_.store(false);
}

bool SerialNotifier::mayAnnounce() const {
    return !rxOutstanding_.load();
}

void SerialNotifier::announceRx() {
    // Flag first, sink second: setSink clears the flag after swapping the sink, so either this
    // post reaches the new sink or the flag ends up clear for the next look.
    rxOutstanding_.store(true);
    SerialEventSink* const sink = sink_.load();
    if (sink == nullptr) {
        rxOutstanding_.store(false); // nobody would drain it
        return;
    }
    sink->postSerialEvent(SerialEvent::RxReady, tag_.load());
}

void SerialNotifier::announceHangUp() {
    // Flag first, then look for a sink; setSink stores the sink, then looks at the flag. One
    // of the two sees the other, and the exchange lets only one of them post.
    hangUpPending_.store(true);
    postPendingHangUp();
}

void SerialNotifier::postPendingHangUp() {
    SerialEventSink* const sink = sink_.load();
    if (sink != nullptr && hangUpPending_.exchange(false)) {
        sink->postSerialEvent(SerialEvent::HangUp, tag_.load());
    }
}

} // namespace tq37r
