#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <vector>

namespace tq37r {

class HistoryBrowser;
class Settings;

// History…: the snapshots newest first in a list that words only the rows on screen, however
// long the journal; the differences of the one or two selected; Load into grid, Label… and Save
// as gain file… on one. A modeless box beside the dialog, where the operator last left it when
// that is still on a screen; closing it only hides it.
class Win32HistoryWindow {
public:
    Win32HistoryWindow(HistoryBrowser& browser, Settings& settings, HINSTANCE instance)
        : browser_(browser), settings_(settings), instance_(instance) {}
    ~Win32HistoryWindow();
    Win32HistoryWindow(const Win32HistoryWindow&) = delete;
    Win32HistoryWindow& operator=(const Win32HistoryWindow&) = delete;

    // Creates the box beside `dialog` the first time; shows what the browser holds now, and raises it.
    void show(HWND dialog);
    // For the dialog's message filter: true when msg was the box's keyboard navigation.
    bool takeDialogMessage(MSG* msg);
    HWND hwnd() const { return hwnd_; }

private:
    static INT_PTR CALLBACK boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
    void init();
    void layOut();
    void refresh();
    void wordCell(NMLVDISPINFOW& cell) const;
    std::vector<std::size_t> selectedRows() const;
    void showDifferences();
    // Runs action on the one row selected; says so when there is not exactly one.
    void onOneRow(void (HistoryBrowser::*action)(std::size_t));

    HistoryBrowser& browser_;
    Settings& settings_; // where the box stood
    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
};

} // namespace tq37r
