#include "qt/EventLoopPortWatcher.h"

#include <poll.h>

#include "serial/SerialNotifier.h"

namespace tq37r {

int EventLoopPortWatcher::start(int fd, SerialNotifier& notifier) {
    stop();
    fd_ = fd;
    notifier_ = &notifier;
    hungUp_ = false;
    readable_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(readable_.get(), &QSocketNotifier::activated, readable_.get(),
                     [this] { onActivated(); });
    return 0;
}

void EventLoopPortWatcher::wake() {
    // Bytes still queued make the notifier fire again at once.
    if (readable_ && !hungUp_) {
        readable_->setEnabled(true);
    }
}

void EventLoopPortWatcher::stop() {
    readable_.reset();
    notifier_ = nullptr;
    fd_ = -1;
}

void EventLoopPortWatcher::onActivated() {
    // A read notifier also fires at a hang-up, and would go on firing.
    pollfd look{fd_, POLLIN, 0};
    if (::poll(&look, 1, 0) == 1 && (look.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        hungUp_ = true;
        readable_->setEnabled(false);
        notifier_->announceHangUp();
        return;
    }
    announceIfQueued(fd_, *notifier_);
    // Whether announced now, outstanding or told to nobody, bytes still queued would fire the
    // notifier again at once: it stays off until the reader drained or a sink is set.
    if (bytesQueued(fd_)) {
        readable_->setEnabled(false);
    }
}

} // namespace tq37r
