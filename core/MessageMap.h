#pragma once

#include <span>

namespace tq37r {

// The private window messages a port's watcher posts, numbered as the platform numbers them.
namespace wm {
inline constexpr int kSerialRx = 0x066A;
inline constexpr int kSerialHangUp = 0x066B;
} // namespace wm

// One row of a dialog's static message map: a control whose button-clicked command the
// member handles.
template <typename Dialog> struct MessageMapEntry {
    int id;
    void (Dialog::*handler)();
};

// Calls the handler the map names for the control's command; false when the map does not
// claim it, so the caller falls back to default handling.
template <typename Dialog>
bool dispatchCommand(Dialog& dialog, std::span<const MessageMapEntry<Dialog>> map, int id) {
    for (const MessageMapEntry<Dialog>& entry : map) {
        if (entry.id == id) {
            (dialog.*entry.handler)();
            return true;
        }
    }
    return false;
}

} // namespace tq37r
