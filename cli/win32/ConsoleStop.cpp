#include "cli/win32/ConsoleStop.h"

#include <atomic>

#include "cli/CommandError.h"

namespace tq37r::cli {

namespace {

// Both live to the end of the process: a handler thread may use them until then.
std::atomic<HANDLE> stopEvent{nullptr}; // null: a stop ends the program
std::atomic<HANDLE> commandThread{nullptr};

BOOL WINAPI onConsoleStop(DWORD kind) {
    if (kind != CTRL_C_EVENT && kind != CTRL_BREAK_EVENT && kind != CTRL_CLOSE_EVENT) {
        return FALSE; // logoff and shutdown, as Windows handles them
    }
    const HANDLE event = stopEvent.load();
    if (event == nullptr) {
        ::TerminateProcess(::GetCurrentProcess(), kExitInterrupted);
    }
    ::SetEvent(event);
    if (kind == CTRL_CLOSE_EVENT) {
        // Windows ends the process as soon as this returns. Waiting on the command's thread
        // lasts until the command has finished and the process exits.
        ::WaitForSingleObject(commandThread.load(), INFINITE);
    }
    return TRUE;
}

void handleConsoleStops() {
    [[maybe_unused]] static const bool once = ::SetConsoleCtrlHandler(onConsoleStop, TRUE);
}

} // namespace

void endOnConsoleStop() {
    handleConsoleStops();
}

HANDLE catchConsoleStops() {
    HANDLE thread = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &thread,
                           SYNCHRONIZE, FALSE, 0)) {
        return nullptr;
    }
    const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (event == nullptr) {
        ::CloseHandle(thread);
        return nullptr;
    }
    commandThread.store(thread);
    stopEvent.store(event);
    handleConsoleStops();
    return event;
}

} // namespace tq37r::cli
