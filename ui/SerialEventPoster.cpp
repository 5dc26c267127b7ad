#include "ui/SerialEventPoster.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include "ui/MessageMap.h"

namespace tq37r {
namespace {

constexpr unsigned bitOf(SerialEvent event) {
    return event == SerialEvent::RxReady ? 1u : 2u;
}

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

void SerialEventPoster::postSerialEvent(SerialEvent event, std::int32_t) {
    pending_.fetch_or(bitOf(event), std::memory_order_acq_rel);
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

void SerialEventPoster::forgetEarlierEvents() {
    pending_.store(0, std::memory_order_release);
    ++generation_;
}

void SerialEventPoster::postPending() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = read(wakeFd_, &count, sizeof count);
    const unsigned events = pending_.exchange(0, std::memory_order_acq_rel);
    // Bytes that came before a hang-up are still drained first.
    if (events & bitOf(SerialEvent::RxReady)) {
        QCoreApplication::postEvent(
            &target_, new SerialNotifyEvent(static_cast<QEvent::Type>(wm::kSerialRx), generation_));
    }
    if (events & bitOf(SerialEvent::HangUp)) {
        QCoreApplication::postEvent(
            &target_, new SerialNotifyEvent(static_cast<QEvent::Type>(wm::kSerialHangUp), generation_));
    }
}

} // namespace tq37r
