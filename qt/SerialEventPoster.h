#pragma once

#include <QEvent>

#include <cstdint>

#include "serial/SerialPort.h"

class QObject;

namespace tq37r {

// A serial notification delivered to the window as a posted event of type wm::kSerialRx or
// wm::kSerialHangUp, with the tag of the open it came from.
class SerialNotifyEvent : public QEvent {
public:
    SerialNotifyEvent(Type type, std::uint32_t openTag) : QEvent(type), tag(openTag) {}
    const std::uint32_t tag;
};

// Posts the watcher's notifications into the target's event queue, from whichever thread
// watches. Posted, not handled at once, even from the window's own event loop: the core may
// close the port in its handler, which must not end the watch from inside the watch's own
// call. The target must outlive the port's watcher; events still queued when it goes are
// dropped with it.
class SerialEventPoster final : public SerialEventSink {
public:
    explicit SerialEventPoster(QObject& target) : target_(target) {}

    // Any thread.
    void postSerialEvent(SerialEvent event, std::uint32_t tag) override;

private:
    QObject& target_;
};

} // namespace tq37r
