#include "serial/posix/PosixWatcher.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <system_error>

#include "serial/SerialNotifier.h"

namespace tq37r {

namespace {

bool watch(int epollFd, int fd, std::uint32_t events) {
    epoll_event event{};
    event.events = events;
    event.data.fd = fd;
    return ::epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &event) == 0;
}

} // namespace

PosixWatcher::~PosixWatcher() {
    stop();
}

int PosixWatcher::start(int fd, SerialNotifier& notifier) {
    stop();
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    epollFd_ = wakeFd_ < 0 ? -1 : ::epoll_create1(EPOLL_CLOEXEC);
    // Edge-triggered on the port: one wake per arrival, never again for bytes already seen.
    if (epollFd_ < 0 || !watch(epollFd_, wakeFd_, EPOLLIN) || !watch(epollFd_, fd, EPOLLIN | EPOLLET)) {
        const int error = errno;
        releaseDescriptors();
        return error;
    }
    stopping_.store(false);
    try {
        thread_ = std::thread(&PosixWatcher::run, this, fd, std::ref(notifier));
    } catch (const std::system_error& error) {
        releaseDescriptors();
        return error.code().value();
    }
    return 0;
}

void PosixWatcher::wake() {
    if (wakeFd_ < 0) {
        return;
    }
    const std::uint64_t one = 1;
    // Fails only when the counter is saturated, and then the watcher is awake anyway.
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void PosixWatcher::stop() {
    if (thread_.joinable()) {
        stopping_.store(true);
        wake();
        thread_.join();
    }
    releaseDescriptors();
}

void PosixWatcher::releaseDescriptors() {
    if (epollFd_ >= 0) {
        ::close(epollFd_);
        epollFd_ = -1;
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
        wakeFd_ = -1;
    }
}

void PosixWatcher::run(int fd, SerialNotifier& notifier) {
    bool look = true; // bytes may be waiting already
    for (;;) {
        if (look) {
            announceIfQueued(fd, notifier);
        }
        std::array<epoll_event, 2> events{};
        const int count = ::epoll_wait(epollFd_, events.data(), static_cast<int>(events.size()), -1);
        if (stopping_.load()) {
            return;
        }
        if (count < 0 && errno != EINTR) {
            notifier.announceHangUp(); // cannot wait any more
            return;
        }
        for (int i = 0; i < count; ++i) {
            const epoll_event& event = events[static_cast<std::size_t>(i)];
            if (event.data.fd == wakeFd_) {
                std::uint64_t wakes = 0;
                [[maybe_unused]] const ssize_t taken = ::read(wakeFd_, &wakes, sizeof wakes);
            } else if ((event.events & (EPOLLHUP | EPOLLERR)) != 0) {
                // Unplugged or peer gone: every further wait would return at once.
                notifier.announceHangUp();
                return;
            }
        }
        look = count > 0;
    }
}

} // namespace tq37r
