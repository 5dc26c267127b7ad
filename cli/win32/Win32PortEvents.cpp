#include "cli/win32/Win32PortEvents.h"

#include <algorithm>
#include <string>

#include "cli/CommandError.h"
#include "serial/OsErrorText.h"

namespace tq37r::cli {

namespace {

// Whole milliseconds, rounded up: a wait never ends before its deadline.
DWORD millisecondsUntil(LineWait::TimePoint until) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    return static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, INFINITE - 1));
}

} // namespace

Win32PortEvents::Win32PortEvents(HANDLE stop)
    : stop_(stop), posted_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

Win32PortEvents::~Win32PortEvents() {
    if (posted_ != nullptr) {
        ::CloseHandle(posted_);
    }
}

void Win32PortEvents::postSerialEvent(SerialEvent event, std::uint32_t tag) {
    {
        const std::lock_guard lock(mutex_);
        pending_.add(event, tag);
    }
    ::SetEvent(posted_);
}

bool Win32PortEvents::takePosted(Seen& seen) {
    const std::lock_guard lock(mutex_);
    std::swap(seen.rxReady, pending_.rxReady);
    std::swap(seen.hungUp, pending_.hungUp);
    seen.interrupted = interrupted_;
    return !seen.rxReady.empty() || !seen.hungUp.empty() || seen.interrupted;
}

LineWait::Seen Win32PortEvents::wait(std::optional<TimePoint> until) {
    const HANDLE handles[2] = {posted_, stop_};
    Seen seen;
    while (!takePosted(seen)) {
        if (until && now() >= *until) {
            break;
        }
        const DWORD woke = ::WaitForMultipleObjects(stop_ != nullptr ? 2 : 1, handles, FALSE,
                                                    until ? millisecondsUntil(*until) : INFINITE);
        if (woke == WAIT_FAILED) {
            throw CommandError(kExitNoAnswer, "cannot wait for the line: " +
                                                  osErrorText(static_cast<int>(::GetLastError())));
        }
        // The stop event stays set: every later wait ends at once, as an interrupt stays reported.
        if (woke == WAIT_OBJECT_0 + 1) {
            interrupted_ = true;
        }
    }
    return seen;
}

} // namespace tq37r::cli
