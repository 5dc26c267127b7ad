#include "ui/SerialEventPoster.h"

#include <QCoreApplication>

#include "ui/MessageMap.h"

namespace tq37r {

void SerialEventPoster::postSerialEvent(SerialEvent event, std::int32_t) {
    const auto type =
        static_cast<QEvent::Type>(event == SerialEvent::RxReady ? wm::kSerialRx : wm::kSerialHangUp);
    QCoreApplication::postEvent(&target_,
                                new SerialNotifyEvent(type, generation_.load(std::memory_order_acquire)));
}

} // namespace tq37r
