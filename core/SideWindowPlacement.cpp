#include "core/SideWindowPlacement.h"

#include <algorithm>

namespace tq37r {

ScreenRect placeBesideDialog(const ScreenRect& dialog, int width, int height, const ScreenRect& screen) {
    const int screenRight = screen.x + screen.width;
    int x = dialog.x + dialog.width + kSideWindowGap;
    if (x + width > screenRight) {
        x = dialog.x - kSideWindowGap - width;
        if (x < screen.x) {
            x = dialog.x;
        }
    }
    // Right and bottom edges first, so a window larger than the screen keeps its title bar on it.
    x = std::max(std::min(x, screenRight - width), screen.x);
    const int y = std::max(std::min(dialog.y, screen.y + screen.height - height), screen.y);
    return {x, y, width, height};
}

} // namespace tq37r
