#include "win32/MultilineCaption.h"

#include <string>
#include <string_view>

#include "win32/WindowText.h"

namespace tq37r {

LRESULT drawMultilineCaption(const NMCUSTOMDRAW& draw) {
    const HWND button = draw.hdr.hwndFrom;
    wchar_t className[16] = {};
    ::GetClassNameW(button, className, 16);
    // The tooltip sends custom-draw notifications to the dialog too.
    if (draw.dwDrawStage != CDDS_PREPAINT || std::wstring_view(className) != WC_BUTTONW ||
        (::GetWindowLongW(button, GWL_STYLE) & BS_MULTILINE) == 0) {
        return CDRF_DODEFAULT;
    }
    const std::wstring caption = windowText(button);
    // Inside the frame and the one-pixel text margin the button keeps itself.
    RECT area = draw.rc;
    ::InflateRect(&area, -(::GetSystemMetrics(SM_CXEDGE) + 1), -(::GetSystemMetrics(SM_CYEDGE) + 1));
    constexpr UINT kFormat = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
    RECT text = area;
    ::DrawTextW(draw.hdc, caption.c_str(), -1, &text, kFormat | DT_CALCRECT);
    const LONG height = text.bottom - text.top;
    text = {area.left, area.top + (area.bottom - area.top - height) / 2, area.right, 0};
    text.bottom = text.top + height;
    if ((draw.uItemState & CDIS_SELECTED) != 0) {
        ::OffsetRect(&text, 1, 1); // pressed in, as the button draws its own caption
    }
    const int oldMode = ::SetBkMode(draw.hdc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(
        draw.hdc, ::GetSysColor((draw.uItemState & CDIS_DISABLED) != 0 ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    ::DrawTextW(draw.hdc, caption.c_str(), -1, &text, kFormat);
    ::SetTextColor(draw.hdc, oldColour);
    ::SetBkMode(draw.hdc, oldMode);
    const bool focusShown = (::SendMessageW(button, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
    if ((draw.uItemState & CDIS_FOCUS) != 0 && focusShown) {
        RECT focus = draw.rc;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(draw.hdc, &focus);
    }
    return CDRF_SKIPDEFAULT; // caption and focus are drawn; the frame was drawn before
}

} // namespace tq37r
