#pragma once

#include <windows.h>

namespace tq37r {

// Moves `window`, at its size, beside `dialog`: whole on the dialog's monitor, beside it where
// there is room.
void placeBeside(HWND window, HWND dialog);

} // namespace tq37r
