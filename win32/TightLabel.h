#pragma once

#include <windows.h>

namespace tq37r {

// Has a label whose caption wraps at its width draw its lines linePitch pixels apart, the
// template face's pitch (one em), rather than the taller line of the face standing in for it,
// which would cut the second line off. A label that fits on one line is left as it is.
void tightenLabel(HWND label, int linePitch);

} // namespace tq37r
