#include "cli/PortEvents.h"

#include <algorithm>

namespace tq37r::cli {

void PortEvents::postSerialEvent(SerialEvent event, std::uint32_t tag) {
    {
        const std::lock_guard lock(mutex_);
        std::vector<std::uint32_t>& tags = event == SerialEvent::RxReady ? seen_.rxReady : seen_.hungUp;
        if (std::find(tags.begin(), tags.end(), tag) == tags.end()) {
            tags.push_back(tag);
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
    const auto anything = [this] {
        return !seen_.rxReady.empty() || !seen_.hungUp.empty() || seen_.interrupted;
    };
    if (until) {
        changed_.wait_until(lock, *until, anything);
    } else {
        changed_.wait(lock, anything);
    }
    Seen seen;
    std::swap(seen.rxReady, seen_.rxReady);
    std::swap(seen.hungUp, seen_.hungUp);
    seen.interrupted = seen_.interrupted;
    return seen;
}

} // namespace tq37r::cli
