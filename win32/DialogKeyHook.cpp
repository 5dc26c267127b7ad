#include "win32/DialogKeyHook.h"

#include <optional>

#include "core/BackgroundMenu.h"
#include "core/FieldBindings.h"

namespace tq37r {
namespace {

DialogKeyHook* gHook = nullptr; // the hook procedure's way back to its object

bool held(int key) {
    return (::GetKeyState(key) & 0x8000) != 0;
}

// The command of a key pressed with Ctrl: with Shift only a shifted letter, without it only a
// plain one. Ctrl+Alt is AltGr, which types letters on some layouts.
std::optional<MenuCommand> shortcutCommand(WPARAM key) {
    if (!held(VK_CONTROL) || held(VK_MENU)) {
        return std::nullopt;
    }
    const bool shifted = held(VK_SHIFT);
    for (const MenuItem& item : kMenuItems) {
        const char letter = shifted ? item.shiftedLetter : item.shortcutLetter;
        if (letter != 0 && key == static_cast<WPARAM>(letter)) {
            return item.command;
        }
    }
    return std::nullopt;
}

// Undo and redo are the grid's on the dialog and in a gain edit; any other edit (the altitude,
// the port's name) keeps its own, as on the Qt face.
bool keepsOwnUndo(MenuCommand command, HWND target) {
    wchar_t className[8] = {};
    ::GetClassNameW(target, className, 8);
    return (command == MenuCommand::Undo || command == MenuCommand::Redo) &&
           ::lstrcmpiW(className, L"Edit") == 0 && !gainOfEdit(::GetDlgCtrlID(target));
}

} // namespace

DialogKeyHook::DialogKeyHook(UINT menuMessage, std::vector<SideBox> sideBoxes)
    : menuMessage_(menuMessage), sideBoxes_(std::move(sideBoxes)) {
    gHook = this;
    hook_ = ::SetWindowsHookExW(WH_MSGFILTER, &hookProc, nullptr, ::GetCurrentThreadId());
}

DialogKeyHook::~DialogKeyHook() {
    if (hook_ != nullptr) {
        ::UnhookWindowsHookEx(hook_);
    }
    gHook = nullptr;
}

bool DialogKeyHook::take(MSG* msg) const {
    for (const SideBox& sideBox : sideBoxes_) {
        if (sideBox(msg)) {
            return true;
        }
    }
    // Only keys meant for the main dialog: not those of a box it has put up. Taken here, a key
    // never reaches the edit with the focus, whose own Ctrl+Z would undo its typing alone.
    if (msg->message == WM_KEYDOWN && dialog_ != nullptr &&
        (msg->hwnd == dialog_ || ::IsChild(dialog_, msg->hwnd))) {
        if (const std::optional<MenuCommand> command = shortcutCommand(msg->wParam);
            command && !keepsOwnUndo(*command, msg->hwnd)) {
            ::PostMessageW(dialog_, menuMessage_, static_cast<WPARAM>(*command), 0);
            return true;
        }
    }
    return false;
}

LRESULT CALLBACK DialogKeyHook::hookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && gHook != nullptr && gHook->take(reinterpret_cast<MSG*>(lParam))) {
        return 1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace tq37r
