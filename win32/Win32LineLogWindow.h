#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>

namespace tq37r {

class ParamDialog;

// The line log, live, in a modeless box beside the dialog: the counts at the top, the log's own
// ring below as a list that words only the rows on screen (so a flood costs the box no more than
// the rows it shows, and nothing is copied), following the end unless scrolled back or paused,
// and Pause, "Save log…" and Clear. Closing it destroys the box, which gives its memory back;
// the log goes on being kept by the core.
class Win32LineLogWindow {
public:
    Win32LineLogWindow(ParamDialog& core, HINSTANCE instance) : core_(core), instance_(instance) {}
    ~Win32LineLogWindow();
    Win32LineLogWindow(const Win32LineLogWindow&) = delete;
    Win32LineLogWindow& operator=(const Win32LineLogWindow&) = delete;

    // Creates the box beside `dialog` when there is none, then shows and raises it.
    void show(HWND dialog);
    // For the dialog's message filter: true when msg was the box's keyboard navigation.
    bool takeDialogMessage(MSG* msg);
    HWND hwnd() const { return hwnd_; }

private:
    static INT_PTR CALLBACK boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
    void init();
    void layOut();
    void refresh();
    // Takes in what the log made since the last look: new rows at the end, rows the ring dropped
    // (or Clear removed) from the start.
    void sync();
    void wordRow(NMLVDISPINFOW& row) const;
    void saveLog();

    ParamDialog& core_;
    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    std::uint64_t first_ = 0; // the sequence number of the first row
    std::uint64_t end_ = 0;   // one past the last row's
};

} // namespace tq37r
