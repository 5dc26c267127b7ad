#pragma once

#include <QEvent>

#include <atomic>
#include <cstdint>
#include <memory>

#include "serial/SerialPort.h"

class QObject;
class QSocketNotifier;

namespace tq37r {

// A serial notification delivered to the window as a posted event, with the tag of the open it came from.
class SerialNotifyEvent : public QEvent {
public:
    SerialNotifyEvent(Type type, std::uint32_t openTag) : QEvent(type), tag(openTag) {}
    const std::uint32_t tag;
};

// Turns the watcher's notifications into posted events of type wm::kSerialRx and
// wm::kSerialHangUp for the target. The watcher thread only stores the tag and signals an
// eventfd; the events themselves are made and posted on the target's (GUI) thread, so no
// Qt object is ever touched from the watcher.
class SerialEventPoster final : public SerialEventSink {
public:
    explicit SerialEventPoster(QObject& target);
    ~SerialEventPoster();
    SerialEventPoster(const SerialEventPoster&) = delete;
    SerialEventPoster& operator=(const SerialEventPoster&) = delete;

    // Any thread.
    void postSerialEvent(SerialEvent event, std::uint32_t tag) override;

private:
    void postPending();

    QObject& target_;
    int wakeFd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    // Per event kind: the tag with kPending set, or 0 when nothing waits to be posted.
    std::atomic<std::uint64_t> rxPending_{0};
    std::atomic<std::uint64_t> hangUpPending_{0};
};

} // namespace tq37r
