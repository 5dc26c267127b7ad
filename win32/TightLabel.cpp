#include "win32/TightLabel.h"

#include <commctrl.h>

#include <string>
#include <string_view>
#include <vector>

#include "win32/WindowText.h"

namespace tq37r {
namespace {

constexpr UINT_PTR kSubclassId = 1;

LONG widthOf(HDC dc, std::wstring_view text) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// Breaks at spaces, as a static control does; a word wider than the label keeps a line of its own.
std::vector<std::wstring> wrap(HDC dc, const std::wstring& text, LONG width) {
    std::vector<std::wstring> lines;
    std::wstring line;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(L' ', start), text.size());
        const std::wstring word = text.substr(start, end - start);
        const std::wstring longer = line.empty() ? word : line + L' ' + word;
        if (!line.empty() && widthOf(dc, longer) > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = longer;
        }
        start = end + 1;
    }
    lines.push_back(line);
    return lines;
}

void paint(HWND label, int linePitch) {
    PAINTSTRUCT painting{};
    const HDC dc = ::BeginPaint(label, &painting);
    RECT client{};
    ::GetClientRect(label, &client);
    // The dialog's own colours for its labels, as the control would ask for them.
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(label), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(label)));
    ::FillRect(dc, &client, brush != nullptr ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    // The room for accents above each line is what the pitch leaves out.
    int y = -metrics.tmInternalLeading;
    for (const std::wstring& line : wrap(dc, windowText(label), client.right)) {
        ::TextOutW(dc, 0, y, line.c_str(), static_cast<int>(line.size()));
        y += linePitch;
    }
    ::SetBkMode(dc, oldMode);
    ::SelectObject(dc, old);
    ::EndPaint(label, &painting);
}

LRESULT CALLBACK labelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR pitch) {
    switch (message) {
    case WM_PAINT:
        paint(label, static_cast<int>(pitch));
        return 0;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(label, &labelProc, kSubclassId);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(label, message, wParam, lParam);
}

} // namespace

void tightenLabel(HWND label, int linePitch) {
    const HDC dc = ::GetDC(label);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT client{};
    ::GetClientRect(label, &client);
    const bool wraps = wrap(dc, windowText(label), client.right).size() > 1;
    ::SelectObject(dc, old);
    ::ReleaseDC(label, dc);
    if (wraps) {
        ::SetWindowSubclass(label, &labelProc, kSubclassId, static_cast<DWORD_PTR>(linePitch));
    }
}

} // namespace tq37r
