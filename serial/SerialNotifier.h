#pragma once

#include <atomic>
#include <cstdint>

#include "serial/SerialPort.h"

namespace tq37r {

// The announcement rules every backend's watcher follows, whatever it waits on:
// - one RxReady outstanding at a time; the reader's drained() allows the next, and the
//   watcher then looks at the queue again, so bytes left after a drain are announced;
// - a hang-up is announced once, also when it happened before a sink was set;
// - with no sink, nothing is outstanding: the next look (or setSink) announces.
// setSink, drained and reset come from the reader's thread, the rest from the watcher.
class SerialNotifier {
public:
    // At open: nothing outstanding, no hang-up seen.
    void reset();
    void setSink(SerialEventSink* sink, std::uint32_t tag);
    void drained();

    // Watcher: whether an RxReady may be posted now.
    bool mayAnnounce() const;
    // Watcher: posts RxReady (the caller saw bytes queued).
    void announceRx();
    // Watcher: posts HangUp once; held until a sink is set.
    void announceHangUp();

private:
    void postPendingHangUp();

    std::atomic<SerialEventSink*> sink_{nullptr};
    std::atomic<std::uint32_t> tag_{0};
    std::atomic<bool> rxOutstanding_{false};
    std::atomic<bool> hangUpPending_{false};
};

} // namespace tq37r
