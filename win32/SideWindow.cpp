#include "win32/SideWindow.h"

#include "core/SideWindowPlacement.h"

namespace tq37r {

void placeBeside(HWND window, HWND dialog) {
    RECT frame{};
    RECT own{};
    ::GetWindowRect(dialog, &frame);
    ::GetWindowRect(window, &own);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const ScreenRect place = placeBesideDialog(
        {frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top}, own.right - own.left,
        own.bottom - own.top, {work.left, work.top, work.right - work.left, work.bottom - work.top});
    ::SetWindowPos(window, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

} // namespace tq37r
