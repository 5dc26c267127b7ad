#pragma once

#include <QEvent>

#include <atomic>
#include <cstdint>

#include "serial/NotifyingSerialPort.h"

class QObject;

namespace tq37r {

// A serial notification delivered to a window as a posted event, tagged with the open it came from.
class SerialNotifyEvent : public QEvent {
public:
    SerialNotifyEvent(Type type, std::uint32_t openGeneration) : QEvent(type), generation(openGeneration) {}
    const std::uint32_t generation;
};

// Turns the watcher's notifications into posted events of type wm::kSerialRx and
// wm::kSerialHangUp for the target, on whose thread they are then handled.
class SerialEventPoster final : public SerialEventSink {
public:
    explicit SerialEventPoster(QObject& target) : target_(target) {}

    // Watcher thread.
    void postSerialEvent(SerialEvent event, std::int32_t portNumber) override;

    // After the watcher of an open has been stopped: what it posted no longer concerns the port.
    void forgetEarlierEvents() { generation_.fetch_add(1, std::memory_order_acq_rel); }
    bool isCurrent(const SerialNotifyEvent& event) const {
        return event.generation == generation_.load(std::memory_order_acquire);
    }

private:
    QObject& target_;
    std::atomic<std::uint32_t> generation_{0};
};

} // namespace tq37r
