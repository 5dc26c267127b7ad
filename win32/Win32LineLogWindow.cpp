#include "win32/Win32LineLogWindow.h"

#include <commctrl.h>

#include <cwchar>
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
        placeBeside(hwnd_, dialog);
    }
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    ::SetForegroundWindow(hwnd_);
}

bool Win32LineLogWindow::takeDialogMessage(MSG* msg) {
    return hwnd_ != nullptr && (msg->hwnd == hwnd_ || ::IsChild(hwnd_, msg->hwnd)) &&
           ::IsDialogMessageW(hwnd_, msg);
}

INT_PTR CALLBACK Win32LineLogWindow::boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(box, DWLP_USER, lParam);
        reinterpret_cast<Win32LineLogWindow*>(lParam)->hwnd_ = box;
        reinterpret_cast<Win32LineLogWindow*>(lParam)->init();
        return TRUE;
    }
    auto* window = reinterpret_cast<Win32LineLogWindow*>(::GetWindowLongPtrW(box, DWLP_USER));
    if (window == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_TIMER:
        window->refresh();
        return TRUE;
    case WM_DESTROY: // with the dialog that owns it
        window->hwnd_ = nullptr;
        window->shown_ = 0;
        window->linesShown_ = 0;
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
            ::SetDlgItemTextW(box, TQ37R_LINE_LOG_LINES, L"");
            window->linesShown_ = 0;
            return TRUE;
        case IDCANCEL: // Escape and the close box hide it
            ::ShowWindow(box, SW_HIDE);
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
    ::SendDlgItemMessageW(hwnd_, TQ37R_LINE_LOG_LINES, EM_SETLIMITTEXT, 0, 0); // as much as memory allows
    ::SendDlgItemMessageW(hwnd_, TQ37R_LINE_LOG_LINES, WM_SETFONT,
                          reinterpret_cast<WPARAM>(::GetStockObject(ANSI_FIXED_FONT)), FALSE);
    ::SetTimer(hwnd_, kRefreshTimer, kRefreshMs, nullptr);
    refresh();
}

void Win32LineLogWindow::refresh() {
    const LineLog& log = core_.lineLog();
    ::SetDlgItemTextW(hwnd_, TQ37R_LINE_LOG_COUNTS, toUtf16(LineLog::countsText(log.counts())).c_str());
    if (::IsDlgButtonChecked(hwnd_, TQ37R_LINE_LOG_PAUSE) == BST_CHECKED) {
        return;
    }
    std::string added;
    for (const LineLog::Entry* entry : log.since(shown_)) {
        added += LineLog::format(*entry) + "\r\n";
        ++linesShown_;
    }
    shown_ = log.total();
    if (added.empty()) {
        return;
    }
    const HWND lines = ::GetDlgItem(hwnd_, TQ37R_LINE_LOG_LINES);
    // Keep about as many lines as the log does: the oldest go in one cut, not one by one.
    if (linesShown_ > LineLog::kCapacity + LineLog::kCapacity / 10) {
        const auto cut = static_cast<WPARAM>(linesShown_ - LineLog::kCapacity);
        const LRESULT end = ::SendMessageW(lines, EM_LINEINDEX, cut, 0);
        ::SendMessageW(lines, EM_SETSEL, 0, end);
        ::SendMessageW(lines, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
        linesShown_ = LineLog::kCapacity;
    }
    const int length = ::GetWindowTextLengthW(lines);
    ::SendMessageW(lines, EM_SETSEL, static_cast<WPARAM>(length), length);
    ::SendMessageW(lines, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(toUtf16(added).c_str()));
}

void Win32LineLogWindow::saveLog() {
    if (const std::string path = askFilePath(hwnd_, kLineLogFiles, true); !path.empty()) {
        core_.saveLineLog(path);
    }
}

} // namespace tq37r
