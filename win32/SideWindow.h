#pragma once

#include <windows.h>

#include <string>

#include "core/Settings.h"

namespace tq37r {

// Puts `window` where the operator last left it, as kept under `key`, when that place is still on
// a monitor (its size too, when it has a sizing frame); false, and nothing moved, when it is not.
bool restorePlace(HWND window, const Settings& settings, const std::string& key);
// From now on keeps `window`'s place under `key` whenever the operator has moved or sized it and
// when it is hidden or closed; once for each window made. `settings` must outlive the window.
void keepPlace(HWND window, Settings& settings, const std::string& key);
// A side window's first showing: where it was left, else beside `dialog`; and kept from then on.
void placeSideWindow(HWND window, HWND dialog, Settings& settings, const std::string& key);

// For the dialog's message filter: whether `msg` was keyboard navigation in the side window's box
// `box` (null when there is none), which has then handled it.
bool takeBoxMessage(HWND box, MSG* msg);

// The object a side window's box procedure serves: the box's creation parameter, kept with the
// box at WM_INITDIALOG and found again for every later message; null before that.
template <typename Window> Window* boxOwner(HWND box, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(box, DWLP_USER, lParam);
    }
    return reinterpret_cast<Window*>(::GetWindowLongPtrW(box, DWLP_USER));
}

} // namespace tq37r
