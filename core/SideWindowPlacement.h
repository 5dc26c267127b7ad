#pragma once

namespace tq37r {

// Rectangles in screen pixels, frames included.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// Where a window that opens beside the dialog (the line log) goes: on the dialog's right where
// it fits whole, else on its left, else over the dialog; level with the dialog's top, and
// always whole on `screen`, the work area of the screen that holds the dialog (a window larger
// than the screen keeps its top left corner on it).
ScreenRect placeBesideDialog(const ScreenRect& dialog, int width, int height, const ScreenRect& screen);

// The space between the dialog and a window beside it.
inline constexpr int kSideWindowGap = 8;

} // namespace tq37r
