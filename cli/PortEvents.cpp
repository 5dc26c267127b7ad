#include "cli/PortEvents.h"

namespace tq37r::cli {

void PortEvents::postSerialEvent(SerialEvent event, std::uint32_t tag) {
    {
        const std::lock_guard lock(mutex_);
        if (event == SerialEvent::RxReady) {
            seen_.rxReady = true;
        } else {
            seen_.hungUp = tag;
        }
    }
    changed_.notify_one();
}

void PortEvents::interrupt() {
    {
        const std::lock_guard lock(mutex_);
        seen_.interrupted = true;
    }
    changed_.notify_one();
}

LineWait::Seen PortEvents::wait(std::optional<TimePoint> until) {
    std::unique_lock lock(mutex_);
    const auto anything = [this] { return seen_.rxReady || seen_.hungUp || seen_.interrupted; };
    if (until) {
        changed_.wait_until(lock, *until, anything);
    } else {
        changed_.wait(lock, anything);
    }
    const Seen seen = seen_;
    seen_.rxReady = false;
    seen_.hungUp.reset();
    return seen;
}

} // namespace tq37r::cli
