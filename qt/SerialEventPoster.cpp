#include "qt/SerialEventPoster.h"

#include <QCoreApplication>

#include "core/MessageMap.h"

namespace tq37r {

void SerialEventPoster::postSerialEvent(SerialEvent event, std::uint32_t tag) {
    const int type = event == SerialEvent::RxReady ? wm::kSerialRx : wm::kSerialHangUp;
    QCoreApplication::postEvent(&target_, new SerialNotifyEvent(static_cast<QEvent::Type>(type), tag));
}

} // namespace tq37r
