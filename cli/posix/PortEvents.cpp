#include "cli/posix/PortEvents.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "cli/CommandError.h"

namespace tq37r::cli {

void PortEvents::postSerialEvent(SerialEvent event, std::uint32_t tag) {
    seen_.add(event, tag);
}

LineWait::Seen PortEvents::wait(std::optional<TimePoint> until) {
    pollfd stop{stop_ != nullptr ? stop_->fd() : -1, POLLIN, 0};
    while (!anything()) {
        if (!ports_.wait(until, {&stop, 1})) {
            throw CommandError(kExitNoAnswer,
                               std::string("cannot wait for the line: ") + std::strerror(errno));
        }
        if ((stop.revents & POLLIN) != 0 && stop_->take()) {
            seen_.interrupted = true;
        }
        if (until && now() >= *until) {
            break;
        }
    }
    Seen seen;
    std::swap(seen.rxReady, seen_.rxReady);
    std::swap(seen.hungUp, seen_.hungUp);
    seen.interrupted = seen_.interrupted;
    return seen;
}

} // namespace tq37r::cli
