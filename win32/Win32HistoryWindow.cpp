#include "win32/Win32HistoryWindow.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core/HistoryBrowser.h"
#include "res/win32/BoxIds.h"
#include "serial/win32/Utf16.h"
#include "win32/SideWindow.h"

namespace tq37r {
namespace {

// Column widths in dialog units, by kHistoryColumns; the actions' buttons, by kHistoryActions.
constexpr int kColumnWidths[] = {40, 76, 36, 44, 28, 110, 64};
static_assert(std::size(kColumnWidths) == kHistoryColumns.size());
constexpr int kActionIds[] = {TQ37R_HISTORY_LOAD, TQ37R_HISTORY_LABEL, TQ37R_HISTORY_SAVE};
static_assert(std::size(kActionIds) == kHistoryActions.size());

// A multi-line edit breaks lines at CR LF only.
std::wstring editLines(const std::string& text) {
    std::wstring lines;
    for (const wchar_t c : toUtf16(text)) {
        lines += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
    }
    return lines;
}

} // namespace

Win32HistoryWindow::~Win32HistoryWindow() {
    if (hwnd_ != nullptr) {
        ::DestroyWindow(hwnd_);
    }
}

void Win32HistoryWindow::show(HWND dialog) {
    if (hwnd_ == nullptr) {
        hwnd_ = ::CreateDialogParamW(instance_, MAKEINTRESOURCEW(TQ37R_HISTORY_DIALOG), dialog, &boxProc,
                                     reinterpret_cast<LPARAM>(this));
        if (hwnd_ == nullptr) {
            return;
        }
        // As tall as the dialog it goes beside, unless the operator left it at a size of its own.
        RECT frame{};
        RECT own{};
        ::GetWindowRect(dialog, &frame);
        ::GetWindowRect(hwnd_, &own);
        ::SetWindowPos(hwnd_, nullptr, 0, 0, own.right - own.left, frame.bottom - frame.top,
                       SWP_NOMOVE | SWP_NOZORDER);
        placeSideWindow(hwnd_, dialog, settings_, place::kHistory);
    }
    refresh();
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    ::SetForegroundWindow(hwnd_);
}

bool Win32HistoryWindow::takeDialogMessage(MSG* msg) {
    return takeBoxMessage(hwnd_, msg);
}

INT_PTR CALLBACK Win32HistoryWindow::boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* window = boxOwner<Win32HistoryWindow>(box, message, lParam);
    if (window == nullptr) {
        return FALSE;
    }
    if (message == WM_INITDIALOG) {
        window->hwnd_ = box;
        window->init();
        return TRUE;
    }
    switch (message) {
    case WM_SIZE:
        window->layOut();
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == LVN_GETDISPINFOW) {
            window->wordCell(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
            return TRUE;
        }
        if (header->code == LVN_ITEMCHANGED || header->code == LVN_ODSTATECHANGED) {
            window->showDifferences();
            return TRUE;
        }
        return FALSE;
    }
    case WM_DESTROY: // with the dialog that owns it
        window->hwnd_ = nullptr;
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == TQ37R_HISTORY_WITH_DEFAULTS) {
            window->showDifferences();
            return TRUE;
        }
        for (std::size_t i = 0; i < kHistoryActions.size(); ++i) {
            if (LOWORD(wParam) == kActionIds[i]) {
                window->onOneRow(kHistoryActions[i].run);
                return TRUE;
            }
        }
        if (LOWORD(wParam) == IDCANCEL) { // Escape and the close box hide it
            ::ShowWindow(box, SW_HIDE);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void Win32HistoryWindow::init() {
    ::SetWindowTextW(hwnd_, toUtf16(text::kHistoryTitle).c_str());
    ::SetDlgItemTextW(hwnd_, TQ37R_HISTORY_WITH_DEFAULTS, toUtf16(text::kHistoryWithDefaults).c_str());
    for (std::size_t i = 0; i < kHistoryActions.size(); ++i) {
        ::SetDlgItemTextW(hwnd_, kActionIds[i], toUtf16(kHistoryActions[i].caption).c_str());
    }
    const HWND list = ::GetDlgItem(hwnd_, TQ37R_HISTORY_LIST);
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(kHistoryColumns.size()); ++i) {
        RECT width{0, 0, kColumnWidths[i], 0};
        ::MapDialogRect(hwnd_, &width);
        std::wstring title = toUtf16(kHistoryColumns[static_cast<std::size_t>(i)]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt =
            i + 1 == static_cast<int>(kHistoryColumns.size()) ? LVCFMT_RIGHT : LVCFMT_LEFT; // a count
        column.cx = width.right;
        column.pszText = title.data();
        ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    layOut();
}

void Win32HistoryWindow::layOut() {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    RECT units{7, 5, 14, 0}; // the resource's margin, gap and button height
    ::MapDialogRect(hwnd_, &units);
    const int margin = units.left;
    const int gap = units.top;
    const int buttonHeight = units.right;
    const int width = std::max(0, static_cast<int>(client.right) - 2 * margin);
    const int free = std::max(0, static_cast<int>(client.bottom) - 2 * margin - 2 * gap - buttonHeight);
    const int listHeight = free * 3 / 4;
    const int buttonsTop = margin + listHeight + gap;
    ::MoveWindow(::GetDlgItem(hwnd_, TQ37R_HISTORY_LIST), margin, margin, width, listHeight, TRUE);
    for (const int id :
         {TQ37R_HISTORY_LOAD, TQ37R_HISTORY_LABEL, TQ37R_HISTORY_SAVE, TQ37R_HISTORY_WITH_DEFAULTS}) {
        const HWND control = ::GetDlgItem(hwnd_, id);
        RECT place{};
        ::GetWindowRect(control, &place);
        ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&place), 2);
        const int controlWidth = place.right - place.left;
        // The buttons keep to the left, the checkbox to the right.
        const int left =
            id == TQ37R_HISTORY_WITH_DEFAULTS ? client.right - margin - controlWidth : place.left;
        ::MoveWindow(control, left, buttonsTop, controlWidth, buttonHeight, TRUE);
    }
    ::MoveWindow(::GetDlgItem(hwnd_, TQ37R_HISTORY_DIFFERENCES), margin, buttonsTop + buttonHeight + gap,
                 width, free - listHeight, TRUE);
}

void Win32HistoryWindow::refresh() {
    const HWND list = ::GetDlgItem(hwnd_, TQ37R_HISTORY_LIST);
    // The rows may have moved since: none stays selected, as in the Qt face.
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    ListView_SetItemCountEx(list, static_cast<int>(browser_.size()), 0);
    showDifferences();
}

void Win32HistoryWindow::wordCell(NMLVDISPINFOW& cell) const {
    if ((cell.item.mask & LVIF_TEXT) == 0 || cell.item.iItem < 0 ||
        static_cast<std::size_t>(cell.item.iItem) >= browser_.size()) {
        return;
    }
    const std::wstring text =
        toUtf16(historyCell(browser_.row(static_cast<std::size_t>(cell.item.iItem)), cell.item.iSubItem));
    ::lstrcpynW(cell.item.pszText, text.c_str(), cell.item.cchTextMax);
}

std::vector<std::size_t> Win32HistoryWindow::selectedRows() const {
    const HWND list = ::GetDlgItem(hwnd_, TQ37R_HISTORY_LIST);
    std::vector<std::size_t> rows;
    // A third row is enough to know there are too many: all of a long list need not be walked.
    for (LRESULT row = -1; rows.size() < 3;) {
        row = ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED);
        if (row < 0) {
            break;
        }
        rows.push_back(static_cast<std::size_t>(row));
    }
    return rows;
}

void Win32HistoryWindow::showDifferences() {
    const bool withDefaults = ::IsDlgButtonChecked(hwnd_, TQ37R_HISTORY_WITH_DEFAULTS) == BST_CHECKED;
    ::SetDlgItemTextW(hwnd_, TQ37R_HISTORY_DIFFERENCES,
                      editLines(browser_.differences(selectedRows(), withDefaults)).c_str());
    // "Differ from grid" follows the grid, which may have changed meanwhile.
    ::InvalidateRect(::GetDlgItem(hwnd_, TQ37R_HISTORY_LIST), nullptr, FALSE);
}

void Win32HistoryWindow::onOneRow(void (HistoryBrowser::*action)(std::size_t)) {
    const std::vector<std::size_t> rows = selectedRows();
    if (rows.size() != 1) {
        ::SetDlgItemTextW(hwnd_, TQ37R_HISTORY_DIFFERENCES, toUtf16(text::kHistorySelectOne).c_str());
        return;
    }
    (browser_.*action)(rows.front());
    refresh();
}

} // namespace tq37r
