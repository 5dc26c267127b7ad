#include "win32/SideWindow.h"

#include <commctrl.h>

#include <optional>

#include "core/Settings.h"
#include "core/SideWindowPlacement.h"

namespace tq37r {
namespace {

constexpr UINT_PTR kKeepPlaceSubclass = 0x504C; // one of its own among a window's subclasses

struct KeptPlace {
    Settings& settings;
    std::string key;
};

void savePlace(HWND window, const KeptPlace& kept) {
    // A minimised or maximised window's rectangle is not where the operator left it.
    if (::IsIconic(window) || ::IsZoomed(window)) {
        return;
    }
    RECT frame{};
    ::GetWindowRect(window, &frame);
    kept.settings.setPlace(kept.key,
                           {frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top});
}

LRESULT CALLBACK keepPlaceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
    auto* kept = reinterpret_cast<KeptPlace*>(data);
    // At the end of a drag, so that the file is written once a move and not at every step of it.
    if (message == WM_EXITSIZEMOVE || message == WM_DESTROY || (message == WM_SHOWWINDOW && !wParam)) {
        savePlace(window, *kept);
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, &keepPlaceProc, kKeepPlaceSubclass);
        delete kept;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

// Moves `window`, at its size, beside `dialog`: whole on the dialog's monitor, beside it where
// there is room.
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

} // namespace

bool restorePlace(HWND window, const Settings& settings, const std::string& key) {
    const std::optional<Settings::Place> place = settings.place(key);
    if (!place) {
        return false;
    }
    // A window of a fixed size keeps its own: the font may have changed since.
    const bool sizable = (::GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME) != 0;
    RECT own{};
    ::GetWindowRect(window, &own);
    const int width = sizable ? place->width : own.right - own.left;
    const int height = sizable ? place->height : own.bottom - own.top;
    // A monitor unplugged since, or a resolution lowered, would leave it out of reach.
    const RECT rect{place->x, place->y, place->x + width, place->y + height};
    if (::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) == nullptr) {
        return false;
    }
    ::SetWindowPos(window, nullptr, rect.left, rect.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void keepPlace(HWND window, Settings& settings, const std::string& key) {
    ::SetWindowSubclass(window, &keepPlaceProc, kKeepPlaceSubclass,
                        reinterpret_cast<DWORD_PTR>(new KeptPlace{settings, key}));
}

void placeSideWindow(HWND window, HWND dialog, Settings& settings, const std::string& key) {
    if (!restorePlace(window, settings, key)) {
        placeBeside(window, dialog);
    }
    keepPlace(window, settings, key);
}

bool takeBoxMessage(HWND box, MSG* msg) {
    return box != nullptr && (msg->hwnd == box || ::IsChild(box, msg->hwnd)) && ::IsDialogMessageW(box, msg);
}

} // namespace tq37r
