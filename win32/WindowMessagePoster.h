#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "core/MessageMap.h"
#include "serial/SerialPort.h"

namespace tq37r {

// Hands the watcher's notifications to the dialog's thread as posted window messages
// (wm::kSerialRx, wm::kSerialHangUp) carrying the open's tag. PostMessage may be called from
// any thread; once the window is gone, nothing is posted (a null target would post to the
// calling thread instead).
class WindowMessagePoster final : public SerialEventSink {
public:
    void setTarget(HWND window) { target_.store(window); }

    void postSerialEvent(SerialEvent event, std::uint32_t tag) override {
        const UINT message = event == SerialEvent::RxReady ? wm::kSerialRx : wm::kSerialHangUp;
        if (const HWND target = target_.load()) {
            ::PostMessageW(target, message, tag, 0);
        }
    }

private:
    std::atomic<HWND> target_{nullptr};
};

} // namespace tq37r
