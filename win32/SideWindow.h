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

} // namespace tq37r
