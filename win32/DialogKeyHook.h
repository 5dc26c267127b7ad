#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace tq37r {

// A modal dialog's own message loop never sees accelerators, nor gives modeless boxes beside the
// dialog their keyboard navigation. While this lives, a hook that the system calls for every
// message of this thread's dialog loops does both: each side box is offered its messages first,
// and the menu's Ctrl+letter shortcuts pressed in the dialog are posted to it as `menuMessage`
// with the MenuCommand in wParam. One at a time.
class DialogKeyHook {
public:
    // Whether a side box took a message (its keyboard navigation).
    using SideBox = std::function<bool(MSG*)>;

    DialogKeyHook(UINT menuMessage, std::vector<SideBox> sideBoxes);
    ~DialogKeyHook();
    DialogKeyHook(const DialogKeyHook&) = delete;
    DialogKeyHook& operator=(const DialogKeyHook&) = delete;

    // The dialog the shortcuts are for, from its WM_INITDIALOG; null once it is gone.
    void setDialog(HWND dialog) { dialog_ = dialog; }

private:
    static LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam);
    bool take(MSG* msg) const;

    UINT menuMessage_;
    std::vector<SideBox> sideBoxes_;
    HWND dialog_ = nullptr;
    HHOOK hook_ = nullptr;
};

} // namespace tq37r
