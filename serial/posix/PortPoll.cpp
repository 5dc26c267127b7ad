#include "serial/posix/PortPoll.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "serial/SerialNotifier.h"

namespace tq37r {

class PortPoll::Watcher final : public DescriptorWatcher {
public:
    explicit Watcher(PortPoll& poll) : poll_(poll) {}
    ~Watcher() override { stop(); }

    int start(int fd, SerialNotifier& notifier) override {
        stop();
        fd_ = fd;
        notifier_ = &notifier;
        armed_ = true; // bytes may be waiting already: the first poll sees them
        hungUp_ = false;
        poll_.watching_.push_back(this);
        return 0;
    }
    void wake() override { armed_ = true; }
    void stop() override {
        if (notifier_ != nullptr) {
            std::erase(poll_.watching_, this);
            notifier_ = nullptr;
            fd_ = -1;
        }
    }

    // Readable only while armed: poll is level-triggered, so bytes already announced would end
    // every wait at once. Hang-ups always, until one was seen.
    pollfd request() const { return {hungUp_ ? -1 : fd_, static_cast<short>(armed_ ? POLLIN : 0), 0}; }

    void polled(short revents) {
        if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            // Unplugged or peer gone: every further poll would return at once.
            hungUp_ = true;
            notifier_->announceHangUp();
        } else if ((revents & POLLIN) != 0) {
            // Bytes are queued. Whether announced now, outstanding or told to nobody, what arms
            // the poll again is the reader's drain or a sink set (wake).
            armed_ = false;
            if (notifier_->mayAnnounce()) {
                notifier_->announceRx();
            }
        }
    }

private:
    PortPoll& poll_;
    int fd_ = -1;
    SerialNotifier* notifier_ = nullptr; // set while watching
    bool armed_ = false;
    bool hungUp_ = false;
};

std::unique_ptr<DescriptorWatcher> PortPoll::watcher() {
    return std::make_unique<Watcher>(*this);
}

bool PortPoll::wait(std::optional<TimePoint> until, std::span<pollfd> others) {
    for (pollfd& other : others) {
        other.revents = 0;
    }
    fds_.clear();
    for (const Watcher* watcher : watching_) {
        fds_.push_back(watcher->request());
    }
    fds_.insert(fds_.end(), others.begin(), others.end());
    timespec timeout{};
    if (until) {
        const auto left = std::max(*until - std::chrono::steady_clock::now(), TimePoint::duration::zero());
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
        timeout.tv_sec = static_cast<time_t>(seconds.count());
        timeout.tv_nsec = static_cast<long>(std::chrono::nanoseconds(left - seconds).count());
    }
    // ppoll, not poll: a deadline in whole milliseconds would wake up to one late.
    if (::ppoll(fds_.data(), fds_.size(), until ? &timeout : nullptr, nullptr) < 0) {
        return errno == EINTR;
    }
    const std::size_t ports = watching_.size();
    for (std::size_t i = 0; i < others.size(); ++i) {
        others[i].revents = fds_[ports + i].revents;
    }
    // Announcements only post to their sinks, so no port opens or closes meanwhile.
    for (std::size_t i = 0; i < ports; ++i) {
        if (fds_[i].revents != 0) {
            watching_[i]->polled(fds_[i].revents);
        }
    }
    return true;
}

} // namespace tq37r
