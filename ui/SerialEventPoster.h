#pragma once

#include <QEvent>

#include <atomic>
#include <cstdint>
#include <memory>

#include "serial/NotifyingSerialPort.h"

class QObject;
class QSocketNotifier;

namespace tq37r {

// A serial notification delivered to the dialog as a posted event, tagged with the open it came from.
class SerialNotifyEvent : public QEvent {
public:
    SerialNotifyEvent(Type type, std::uint32_t openGeneration) : QEvent(type), generation(openGeneration) {}
    const std::uint32_t generation;
};

// Turns the watcher's notifications into posted events of type wm::kSerialRx and
// wm::kSerialHangUp for the target. The watcher thread only sets a flag and signals an
// eventfd; the events themselves are made and posted on the target's (GUI) thread, so no
// Qt object is ever touched from the watcher.
class SerialEventPoster final : public SerialEventSink {
public:
    explicit SerialEventPoster(QObject& target);
    ~SerialEventPoster();
    SerialEventPoster(const SerialEventPoster&) = delete;
    SerialEventPoster& operator=(const SerialEventPoster&) = delete;

    // Watcher thread.
    void postSerialEvent(SerialEvent event, std::int32_t portNumber) override;

    // GUI thread, after the watcher of an open has been stopped: what it announced no
    // longer concerns the port, whether still flagged or already posted.
    void forgetEarlierEvents();
    bool isCurrent(const SerialNotifyEvent& event) const { return event.generation == generation_; }

private:
    void postPending();

    QObject& target_;
    int wakeFd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::atomic<unsigned> pending_{0}; // one bit per SerialEvent
    std::uint32_t generation_ = 0;     // GUI thread only
};

} // namespace tq37r
