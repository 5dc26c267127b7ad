#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <optional>
#include <thread>

namespace tq37r {

class SerialNotifier;

// Bytes waiting in the driver's input queue, read with ClearCommError, which also clears the
// line-error flags: those are added to lineErrors so that no look loses them. nullopt when
// the device no longer answers.
std::optional<std::size_t> queuedInputOf(HANDLE port, std::atomic<DWORD>& lineErrors);

// The thread that waits on an open port with overlapped WaitCommEvent (mask EV_RXCHAR) and
// tells the notifier what it sees: bytes queued (when an announcement may be made) and the
// device going away, after which it ends.
class Win32Watcher {
public:
    Win32Watcher() = default;
    ~Win32Watcher();
    Win32Watcher(const Win32Watcher&) = delete;
    Win32Watcher& operator=(const Win32Watcher&) = delete;

    // Starts watching port, opened overlapped with its event mask set; 0, or the error.
    DWORD start(HANDLE port, SerialNotifier& notifier, std::atomic<DWORD>& lineErrors);
    // Makes the watcher look at the input queue again.
    void wake();
    // Wakes the thread, which ends its pending wait itself, and joins it; harmless when stopped.
    void stop();

private:
    void run(HANDLE port, SerialNotifier& notifier, std::atomic<DWORD>& lineErrors);

    std::thread thread_;
    HANDLE wakeEvent_ = nullptr; // auto-reset: wakes that come together are looked at once
    std::atomic<bool> stopping_{false};
};

} // namespace tq37r
