#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace tq37r {

class ParamDialog;

// The line log, live, in a modeless box beside the dialog: the counts at the top, one line an
// entry below, and Pause, "Save log…" and Clear. Closing it only hides it; the log goes on
// being kept by the core.
class Win32LineLogWindow {
public:
    Win32LineLogWindow(ParamDialog& core, HINSTANCE instance) : core_(core), instance_(instance) {}
    ~Win32LineLogWindow();
    Win32LineLogWindow(const Win32LineLogWindow&) = delete;
    Win32LineLogWindow& operator=(const Win32LineLogWindow&) = delete;

    // Creates the box beside `dialog` the first time, then shows and raises it.
    void show(HWND dialog);
    // For the dialog's message filter: true when msg was the box's keyboard navigation.
    bool takeDialogMessage(MSG* msg);
    HWND hwnd() const { return hwnd_; }

private:
    static INT_PTR CALLBACK boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
    void init();
    void refresh();
    void saveLog();

    ParamDialog& core_;
    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    std::uint64_t shown_ = 0; // the sequence of the last entry shown
    std::size_t linesShown_ = 0;
};

} // namespace tq37r
