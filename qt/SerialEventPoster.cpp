#include "qt/SerialEventPoster.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include "core/MessageMap.h"

namespace tq37r {
namespace {

constexpr std::uint64_t kPending = std::uint64_t{1} << 32;

} // namespace

SerialEventPoster::SerialEventPoster(QObject& target)
    : target_(target), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      notifier_(std::make_unique<QSocketNotifier>(wakeFd_, QSocketNotifier::Read)) {
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { postPending(); });
}

SerialEventPoster::~SerialEventPoster() {
    notifier_.reset();
    close(wakeFd_);
}

void SerialEventPoster::postSerialEvent(SerialEvent event, std::uint32_t tag) {
    // Kept apart per kind, so that a hang-up of an earlier open keeps its own tag.
    (event == SerialEvent::RxReady ? rxPending_ : hangUpPending_)
        .store(kPending | tag, std::memory_order_release);
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

void SerialEventPoster::postPending() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = read(wakeFd_, &count, sizeof count);
    // Bytes that came before a hang-up are still drained first.
    if (const std::uint64_t rx = rxPending_.exchange(0, std::memory_order_acq_rel); rx & kPending) {
        QCoreApplication::postEvent(&target_, new SerialNotifyEvent(static_cast<QEvent::Type>(wm::kSerialRx),
                                                                    static_cast<std::uint32_t>(rx)));
    }
    if (const std::uint64_t hangUp = hangUpPending_.exchange(0, std::memory_order_acq_rel);
        hangUp & kPending) {
        QCoreApplication::postEvent(&target_,
                                    new SerialNotifyEvent(static_cast<QEvent::Type>(wm::kSerialHangUp),
                                                          static_cast<std::uint32_t>(hangUp)));
    }
}

} // namespace tq37r
