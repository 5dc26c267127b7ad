#include "win32/DialogLayout.h"

namespace tq37r {

namespace {

int emPixels(HDC dc, const DialogTemplate& dialogTemplate) {
    return ::MulDiv(dialogTemplate.fontPointSize, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
}

} // namespace

BaseUnits templateUnits(HWND dialog, const DialogTemplate& dialogTemplate) {
    const HDC dc = ::GetDC(dialog);
    const int em = emPixels(dc, dialogTemplate);
    ::ReleaseDC(dialog, dc);
    // The dialog manager's rounding of the letters' average width, (52 * em / 2 / 26 + 1) / 2.
    return {(em + 1) / 2, em};
}

bool lineTallerThanEm(HWND dialog, const DialogTemplate& dialogTemplate) {
    const HDC dc = ::GetDC(dialog);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    const int em = emPixels(dc, dialogTemplate);
    ::SelectObject(dc, old);
    ::ReleaseDC(dialog, dc);
    return metrics.tmHeight > em;
}

void layOut(HWND dialog, const DialogTemplate& dialogTemplate, BaseUnits units) {
    RECT unit{0, 0, 4, 8};
    ::MapDialogRect(dialog, &unit);
    if (BaseUnits{unit.right, unit.bottom} == units) {
        return;
    }
    const auto px = [&](int dialogUnits) { return ::MulDiv(dialogUnits, units.x, 4); };
    const auto py = [&](int dialogUnits) { return ::MulDiv(dialogUnits, units.y, 8); };
    // The children stand in template order; ids do not tell them apart (labels share one).
    HWND child = ::GetWindow(dialog, GW_CHILD);
    for (const ControlTemplate& control : dialogTemplate.controls) {
        if (child == nullptr) {
            break;
        }
        // A picture keeps its bitmap's size; a list's height is that of its dropped-down part.
        const UINT keepSize = control.kind == ControlKind::Picture ? SWP_NOSIZE : 0;
        ::SetWindowPos(child, nullptr, px(control.x), py(control.y), px(control.width), py(control.height),
                       SWP_NOZORDER | SWP_NOACTIVATE | keepSize);
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
    // The template's size is the client area's; the frame, and the menu bar over it, come on top.
    RECT frame{0, 0, px(dialogTemplate.width), py(dialogTemplate.height)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongW(dialog, GWL_STYLE)),
                         ::GetMenu(dialog) != nullptr,
                         static_cast<DWORD>(::GetWindowLongW(dialog, GWL_EXSTYLE)));
    ::SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace tq37r
