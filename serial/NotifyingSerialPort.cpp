#include "serial/NotifyingSerialPort.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

namespace tq37r {

NotifyingSerialPort::NotifyingSerialPort() {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    epollFd_ = ::epoll_create1(EPOLL_CLOEXEC);
    if (wakeFd_ >= 0 && epollFd_ >= 0) {
        epoll_event wake{};
        wake.events = EPOLLIN;
        wake.data.fd = wakeFd_;
        if (::epoll_ctl(epollFd_, EPOLL_CTL_ADD, wakeFd_, &wake) != 0) {
            ::close(epollFd_);
            epollFd_ = -1; // open() fails from now on
        }
    }
}

NotifyingSerialPort::~NotifyingSerialPort() {
    close();
    if (epollFd_ >= 0) {
        ::close(epollFd_);
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
    }
}

bool NotifyingSerialPort::open() {
    if (isOpen()) {
        close();
    }
    if (wakeFd_ < 0 || epollFd_ < 0) {
        lastOpenFailure_ = OpenFailure::Other;
        return false;
    }
    if (!openDevice()) {
        return false;
    }
    // Edge-triggered: the watcher wakes once per arrival, like a receive event,
    // and never again for bytes it has already seen queued.
    const int fd = handle.load(std::memory_order_acquire);
    epoll_event portEvent{};
    portEvent.events = EPOLLIN | EPOLLET;
    portEvent.data.fd = fd;
    if (::epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &portEvent) != 0) {
        lastOpenFailure_ = OpenFailure::Other;
        closeDevice();
        return false;
    }
    notificationPending_.store(false, std::memory_order_release);
    hangUpPending_.store(false);
    running.store(true, std::memory_order_release);
    try {
        thread_ = std::thread(&NotifyingSerialPort::watch, this);
    } catch (const std::system_error&) {
        running.store(false, std::memory_order_release);
        ::epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
        lastOpenFailure_ = OpenFailure::Other;
        closeDevice();
        return false;
    }
    return true;
}

void NotifyingSerialPort::close() {
    running.store(false, std::memory_order_release);
    if (thread_.joinable()) {
        wakeWatcher();
        thread_.join();
    }
    if (const int fd = handle.load(std::memory_order_acquire); fd >= 0) {
        ::epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
    }
    closeDevice();
}

void NotifyingSerialPort::notifyRxReady() {
    if (SerialEventSink* sink = notifyWindow.load(std::memory_order_acquire)) {
        sink->postSerialEvent(SerialEvent::RxReady, portNumber);
    } else {
        // Nobody drains: look again at the next arrival or when a sink is set.
        notificationPending_.store(false, std::memory_order_release);
    }
}

void NotifyingSerialPort::notifyHangUp() {
    // Flag first, then look for a sink: a hang-up before the sink is set is posted by
    // setNotifyWindow instead, and the exchange makes sure it is posted once.
    hangUpPending_.store(true);
    postPendingHangUp();
}

void NotifyingSerialPort::postPendingHangUp() {
    SerialEventSink* sink = notifyWindow.load();
    if (sink != nullptr && hangUpPending_.exchange(false)) {
        sink->postSerialEvent(SerialEvent::HangUp, portNumber);
    }
}

void NotifyingSerialPort::rxDrained() {
    notificationPending_.store(false, std::memory_order_release);
    wakeWatcher();
}

void NotifyingSerialPort::setNotifyWindow(SerialEventSink* sink) {
    notifyWindow.store(sink);
    postPendingHangUp();
    wakeWatcher();
}

void NotifyingSerialPort::wakeWatcher() {
    const std::uint64_t one = 1;
    // Fails only when the counter is saturated, and then the watcher is awake anyway.
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

// One notification at a time: while one is pending, arrivals only wake the
// watcher, and the drain's rxDrained() makes it look at the queue again.
void NotifyingSerialPort::announceQueued() {
    const std::optional<std::size_t> queued = queuedInput();
    if (queued && *queued > rxThreshold) {
        notificationPending_.store(true, std::memory_order_release);
        notifyRxReady();
    }
}

void NotifyingSerialPort::watch() {
    bool lookAtQueue = true; // bytes may be waiting already
    while (running.load(std::memory_order_acquire)) {
        if (lookAtQueue && !notificationPending_.load(std::memory_order_acquire)) {
            announceQueued();
        }
        lookAtQueue = false;
        std::array<epoll_event, 2> events{};
        const int count = ::epoll_wait(epollFd_, events.data(), static_cast<int>(events.size()), -1);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            notifyHangUp(); // cannot wait any more
            return;
        }
        if (!running.load(std::memory_order_acquire)) {
            return;
        }
        for (int i = 0; i < count; ++i) {
            const epoll_event& event = events[static_cast<std::size_t>(i)];
            if (event.data.fd == wakeFd_) {
                std::uint64_t wakeCount = 0;
                [[maybe_unused]] const ssize_t taken = ::read(wakeFd_, &wakeCount, sizeof wakeCount);
            } else if ((event.events & (EPOLLHUP | EPOLLERR)) != 0) {
                // Unplugged or peer gone: every further wait would return at once.
                notifyHangUp();
                return;
            } else {
                takeLineErrors(); // cleared as seen; the drain reacts only to newer ones
            }
            lookAtQueue = true;
        }
    }
}

} // namespace tq37r
