#include "win32/Win32LineLogWindow.h"

#include <algorithm>
#include <string>

#include "core/DialogTexts.h"
#include "core/ParamDialog.h"
#include "res/win32/BoxIds.h"
#include "serial/win32/Utf16.h"
#include "win32/FileDialog.h"
#include "win32/SideWindow.h"

namespace tq37r {
namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 200;
// Characters of the longest entry: its time, mark, the bytes kept in hex and their words. The one
// column is that wide, so no row's width is ever measured.
constexpr int kLongestLine = 200;

} // namespace

Win32LineLogWindow::~Win32LineLogWindow() {
    if (hwnd_ != nullptr) {
        ::DestroyWindow(hwnd_);
    }
}

void Win32LineLogWindow::show(HWND dialog) {
    if (hwnd_ == nullptr) {
        hwnd_ = ::CreateDialogParamW(instance_, MAKEINTRESOURCEW(TQ37R_LINE_LOG_DIALOG), dialog, &boxProc,
                                     reinterpret_cast<LPARAM>(this));
        if (hwnd_ == nullptr) {
            return;
        }
        placeSideWindow(hwnd_, dialog, core_.settings(), place::kLineLog);
    }
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    ::SetForegroundWindow(hwnd_);
}

bool Win32LineLogWindow::takeDialogMessage(MSG* msg) {
    return takeBoxMessage(hwnd_, msg);
}

INT_PTR CALLBACK Win32LineLogWindow::boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* window = boxOwner<Win32LineLogWindow>(box, message, lParam);
    if (window == nullptr) {
        return FALSE;
    }
    if (message == WM_INITDIALOG) {
        window->hwnd_ = box;
        window->init();
        return TRUE;
    }
    switch (message) {
    case WM_TIMER:
        window->refresh();
        return TRUE;
    case WM_SIZE:
        window->layOut();
        return TRUE;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == LVN_GETDISPINFOW) {
            window->wordRow(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY: // closed, or with the dialog that owns it
        window->hwnd_ = nullptr;
        window->first_ = window->end_ = 0;
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case TQ37R_LINE_LOG_PAUSE: {
            const bool paused = ::IsDlgButtonChecked(box, TQ37R_LINE_LOG_PAUSE) == BST_CHECKED;
            ::SetDlgItemTextW(box, TQ37R_LINE_LOG_PAUSE,
                              toUtf16(paused ? text::kLineLogResume : text::kLineLogPause).c_str());
            window->refresh();
            return TRUE;
        }
        case TQ37R_LINE_LOG_SAVE:
            window->saveLog();
            return TRUE;
        case TQ37R_LINE_LOG_CLEAR:
            window->core_.clearLineLog();
            window->sync(); // paused too: a cleared entry is not shown again
            return TRUE;
        case IDCANCEL: // Escape and the close box: it is made again when next shown
            ::DestroyWindow(box);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void Win32LineLogWindow::init() {
    ::SetWindowTextW(hwnd_, toUtf16(text::kLineLogTitle).c_str());
    ::SetDlgItemTextW(hwnd_, TQ37R_LINE_LOG_PAUSE, toUtf16(text::kLineLogPause).c_str());
    ::SetDlgItemTextW(hwnd_, TQ37R_LINE_LOG_SAVE, toUtf16(text::kLineLogSave).c_str());
    ::SetDlgItemTextW(hwnd_, TQ37R_LINE_LOG_CLEAR, toUtf16(text::kLineLogClear).c_str());
    const HWND list = ::GetDlgItem(hwnd_, TQ37R_LINE_LOG_LINES);
    const auto font = static_cast<HFONT>(::GetStockObject(ANSI_FIXED_FONT));
    ::SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    const HDC dc = ::GetDC(list);
    const HGDIOBJ oldFont = ::SelectObject(dc, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(list, dc);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = kLongestLine * metrics.tmAveCharWidth;
    ListView_InsertColumn(list, 0, &column);
    layOut();
    ::SetTimer(hwnd_, kRefreshTimer, kRefreshMs, nullptr);
    refresh();
}

void Win32LineLogWindow::layOut() {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    RECT units{7, 20, 14, 7}; // the resource's margin, the list's top, button height and the gap above
    ::MapDialogRect(hwnd_, &units);
    const int margin = units.left;
    const int width = std::max(0, static_cast<int>(client.right) - 2 * margin);
    const int buttonsTop =
        std::max(static_cast<int>(units.top), static_cast<int>(client.bottom - margin - units.right));
    // The counts and the buttons keep their height, the buttons their left and width too.
    const auto moveTo = [this](int id, int top, int newWidth) {
        const HWND control = ::GetDlgItem(hwnd_, id);
        RECT place{};
        ::GetWindowRect(control, &place);
        ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&place), 2);
        ::MoveWindow(control, place.left, top, newWidth < 0 ? place.right - place.left : newWidth,
                     place.bottom - place.top, TRUE);
    };
    moveTo(TQ37R_LINE_LOG_COUNTS, margin, width);
    ::MoveWindow(::GetDlgItem(hwnd_, TQ37R_LINE_LOG_LINES), margin, units.top, width,
                 std::max(0, buttonsTop - static_cast<int>(units.bottom + units.top)), TRUE);
    for (const int id : {TQ37R_LINE_LOG_PAUSE, TQ37R_LINE_LOG_SAVE, TQ37R_LINE_LOG_CLEAR}) {
        moveTo(id, buttonsTop, -1);
    }
}

void Win32LineLogWindow::refresh() {
    const LineLog& log = core_.lineLog();
    ::SetDlgItemTextW(hwnd_, TQ37R_LINE_LOG_COUNTS, toUtf16(LineLog::countsText(log.counts())).c_str());
    if (::IsDlgButtonChecked(hwnd_, TQ37R_LINE_LOG_PAUSE) != BST_CHECKED) {
        sync();
    }
}

void Win32LineLogWindow::sync() {
    const LineLog& log = core_.lineLog();
    const std::uint64_t end = log.total();
    const std::uint64_t first = end - log.size();
    if (first == first_ && end == end_) {
        return;
    }
    const HWND list = ::GetDlgItem(hwnd_, TQ37R_LINE_LOG_LINES);
    const int top = ListView_GetTopIndex(list);
    // It follows the end unless the operator scrolled back to read: the last row out of view.
    const bool following = top + ListView_GetCountPerPage(list) >= static_cast<int>(end_ - first_);
    const int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    const UINT marks = focused < 0 ? 0 : ListView_GetItemState(list, focused, LVIS_FOCUSED | LVIS_SELECTED);
    // Rows the ring dropped or Clear removed go from the start...
    int gone = 0;
    if (first > first_ && end_ > first_) {
        gone = static_cast<int>(std::min(first, end_) - first_);
        first_ += static_cast<std::uint64_t>(gone);
    }
    if (first_ == end_) {
        first_ = first; // nothing shown: start at the first kept
    }
    // ...and rows made since come at the end.
    end_ = end;
    const int rows = static_cast<int>(end_ - first_);
    ListView_SetItemCountEx(list, rows, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    if (gone > 0) {
        // A row's number now stands for a later entry: the marked row and, scrolled back, the
        // rows in view move up with their entries, so what the operator reads stays put.
        if (focused >= 0) {
            ListView_SetItemState(list, -1, 0, LVIS_FOCUSED | LVIS_SELECTED);
            if (focused >= gone) {
                ListView_SetItemState(list, focused - gone, marks, LVIS_FOCUSED | LVIS_SELECTED);
            }
        }
        if (!following && top > 0) {
            ListView_EnsureVisible(list, std::max(0, top - gone), FALSE); // scrolls it to the top
        }
        ::InvalidateRect(list, nullptr, FALSE);
    }
    if (following && rows > 0) {
        ListView_EnsureVisible(list, rows - 1, FALSE);
    }
}

void Win32LineLogWindow::wordRow(NMLVDISPINFOW& row) const {
    if ((row.item.mask & LVIF_TEXT) == 0 || row.item.cchTextMax <= 0 || row.item.iItem < 0) {
        return;
    }
    const LineLog& log = core_.lineLog();
    const std::uint64_t sequence = first_ + static_cast<std::uint64_t>(row.item.iItem);
    const std::uint64_t kept = log.total() - log.size();
    if (sequence < kept || sequence >= log.total()) {
        row.item.pszText[0] = L'\0'; // dropped since the last look (paused): gone at the next
        return;
    }
    const std::wstring text = toUtf16(LineLog::format(log.at(static_cast<std::size_t>(sequence - kept))));
    ::lstrcpynW(row.item.pszText, text.c_str(), row.item.cchTextMax);
}

void Win32LineLogWindow::saveLog() {
    if (const std::string path = askFilePath(hwnd_, kLineLogFiles, true); !path.empty()) {
        core_.saveLineLog(path);
    }
}

} // namespace tq37r
