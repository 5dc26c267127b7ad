#pragma once

#include <span>

namespace tq37r {

// Window messages the dialogs handle, numbered as the platform numbers them.
namespace wm {
inline constexpr int kCommand = 0x0111; // a control's button-clicked notification; id = control id
inline constexpr int kTimer = 0x0113;   // param = timer id
inline constexpr int kSerialRx = 0x066A;
inline constexpr int kSerialHangUp = 0x066B;
} // namespace wm

// One row of a dialog's static message map: a message (and, for commands, the control id)
// and the member that handles it. Timer handlers take the timer id.
template <typename Dialog> struct MessageMapEntry {
    int message;
    int id;
    void (Dialog::*handler)() = nullptr;
    void (Dialog::*handlerWithParam)(int) = nullptr;
};

// Calls the handler the map names for the message; false when the map does not claim it,
// so the caller falls back to default handling.
template <typename Dialog>
bool dispatchMessage(Dialog& dialog, std::span<const MessageMapEntry<Dialog>> map, int message, int id,
                     int param) {
    for (const MessageMapEntry<Dialog>& entry : map) {
        if (entry.message != message || (message == wm::kCommand && entry.id != id)) {
            continue;
        }
        if (entry.handlerWithParam != nullptr) {
            (dialog.*entry.handlerWithParam)(param);
        } else {
            (dialog.*entry.handler)();
        }
        return true;
    }
    return false;
}

} // namespace tq37r
