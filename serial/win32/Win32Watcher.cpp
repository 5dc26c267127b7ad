#include "serial/win32/Win32Watcher.h"

#include <functional>
#include <system_error>
#include <utility>

#include "serial/SerialNotifier.h"

namespace tq37r {

std::optional<std::size_t> queuedInputOf(HANDLE port, std::atomic<DWORD>& lineErrors) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(port, &errors, &status)) {
        return std::nullopt;
    }
    if (errors != 0) {
        lineErrors.fetch_or(errors);
    }
    return status.cbInQue;
}

Win32Watcher::~Win32Watcher() {
    stop();
}

DWORD Win32Watcher::start(HANDLE port, SerialNotifier& notifier, std::atomic<DWORD>& lineErrors) {
    stop();
    wakeEvent_ = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (wakeEvent_ == nullptr) {
        return ::GetLastError();
    }
    stopping_.store(false);
    try {
        thread_ = std::thread(&Win32Watcher::run, this, port, std::ref(notifier), std::ref(lineErrors));
    } catch (const std::system_error& error) {
        ::CloseHandle(std::exchange(wakeEvent_, nullptr));
        return static_cast<DWORD>(error.code().value());
    }
    return 0;
}

void Win32Watcher::wake() {
    if (wakeEvent_ != nullptr) {
        ::SetEvent(wakeEvent_);
    }
}

void Win32Watcher::stop() {
    if (thread_.joinable()) {
        stopping_.store(true);
        wake();
        thread_.join();
    }
    if (wakeEvent_ != nullptr) {
        ::CloseHandle(std::exchange(wakeEvent_, nullptr));
    }
}

void Win32Watcher::run(HANDLE port, SerialNotifier& notifier, std::atomic<DWORD>& lineErrors) {
    OVERLAPPED wait{};
    wait.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD events = 0;
    bool armed = false; // a WaitCommEvent is pending on `wait`
    bool look = true;   // bytes may be waiting already
    bool hungUp = wait.hEvent == nullptr;
    while (!hungUp) {
        if (look && notifier.mayAnnounce()) {
            const std::optional<std::size_t> queued = queuedInputOf(port, lineErrors);
            if (!queued) {
                hungUp = true;
                break;
            }
            if (*queued > 0) {
                notifier.announceRx();
            }
        }
        look = false;
        // Armed only while an announcement may follow: with one outstanding, the reader's drain
        // wakes this thread anyway, and Wine reports EV_RXCHAR for as long as bytes wait, which
        // would make every wait return at once.
        if (!armed && notifier.mayAnnounce()) {
            ::ResetEvent(wait.hEvent);
            if (::WaitCommEvent(port, &events, &wait)) {
                look = true;
                continue;
            }
            if (::GetLastError() != ERROR_IO_PENDING) {
                hungUp = true; // a pulled adapter's driver refuses every further wait
                break;
            }
            armed = true;
        }
        const HANDLE handles[2] = {wakeEvent_, wait.hEvent};
        const DWORD woke = ::WaitForMultipleObjects(armed ? 2 : 1, handles, FALSE, INFINITE);
        if (stopping_.load()) {
            break;
        }
        look = true;
        if (woke == WAIT_OBJECT_0 + 1) {
            armed = false;
            DWORD ignored = 0;
            // Nobody here ended this wait: an error means the device has gone (a pulled USB
            // adapter's driver fails it; Wine cancels it when the modem lines cannot be read).
            hungUp = !::GetOverlappedResult(port, &wait, &ignored, FALSE);
        } else if (woke != WAIT_OBJECT_0) {
            hungUp = true;
        }
    }
    if (armed) {
        // An empty mask ends a pending wait on Windows (with no events) and on Wine (with
        // ERROR_OPERATION_ABORTED), where cancelling does not; either way it is this thread's own.
        ::SetCommMask(port, 0);
        ::CancelIoEx(port, &wait);
        DWORD ignored = 0;
        ::GetOverlappedResult(port, &wait, &ignored, TRUE);
    }
    if (wait.hEvent != nullptr) {
        ::CloseHandle(wait.hEvent);
    }
    if (hungUp) {
        notifier.announceHangUp();
    }
}

} // namespace tq37r
