#include "win32/Win32ParamWindow.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <vector>

#include "core/BackgroundMenu.h"
#include "core/FieldBindings.h"
#include "core/GainTexts.h"
#include "core/MessageMap.h"
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"
#include "res/win32/BoxIds.h"
#include "res/win32/MenuLabel.h"
#include "serial/win32/Utf16.h"
#include "win32/DialogLayout.h"
#include "win32/FileDialog.h"
#include "win32/MultilineCaption.h"
#include "win32/SideWindow.h"
#include "win32/TextBox.h"
#include "win32/TightLabel.h"
#include "win32/WindowText.h"

namespace tq37r {
namespace {

// The port list's selection or text changed; posted, because during CBN_SELCHANGE the list's
// text field still holds the previous entry.
constexpr UINT kPortListChanged = WM_APP + 1;
// A menu command from the keyboard hook: wParam is the MenuCommand.
constexpr UINT kMenuCommand = WM_APP + 2;
constexpr UINT_PTR kGainEditSubclass = 1;

COLORREF colourRef(const TintColour& colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

std::wstring listItemText(HWND list, LRESULT index) {
    const LRESULT length = ::SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        ::SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return text;
}

bool isEditableList(HWND list) {
    return (::GetWindowLongW(list, GWL_STYLE) & 0x3) == CBS_DROPDOWN;
}

} // namespace

Win32ParamWindow::Win32ParamWindow(SerialPort& port, HINSTANCE instance)
    : instance_(instance), core_(*this, *this, port, serialEvents_), lineLog_(core_, instance),
      history_(core_.history(), core_.settings(), instance), flightSettings_(core_, instance) {}

Win32ParamWindow::~Win32ParamWindow() {
    for (HBRUSH brush : brushes_) {
        if (brush != nullptr) {
            ::DeleteObject(brush);
        }
    }
}

INT_PTR Win32ParamWindow::run(HWND owner) {
    // For the screen readers' names and the file dialogs; the window works without it.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    keyHook_.emplace(kMenuCommand, std::vector<DialogKeyHook::SideBox>{
                                       [this](MSG* msg) { return lineLog_.takeDialogMessage(msg); },
                                       [this](MSG* msg) { return history_.takeDialogMessage(msg); },
                                       [this](MSG* msg) { return flightSettings_.takeDialogMessage(msg); }});
    const INT_PTR result = ::DialogBoxParamW(instance_, MAKEINTRESOURCEW(id::kParamDialogTemplate), owner,
                                             &dialogProc, reinterpret_cast<LPARAM>(this));
    keyHook_.reset();
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return result;
}

INT_PTR CALLBACK Win32ParamWindow::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* window = reinterpret_cast<Win32ParamWindow*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        window->hwnd_ = hwnd;
    }
    auto* window = reinterpret_cast<Win32ParamWindow*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (window == nullptr) {
        return FALSE;
    }
    const INT_PTR result = window->handle(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        if (window->keyHook_) {
            window->keyHook_->setDialog(nullptr);
        }
        window->hwnd_ = nullptr;
        window->toolTip_ = nullptr;
        window->toolsAdded_.clear();
        window->serialEvents_.setTarget(nullptr);
    }
    return result;
}

INT_PTR Win32ParamWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CTLCOLOREDIT:
        return tintBrush(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
        if (const auto* header = reinterpret_cast<const NMHDR*>(lParam); header->code == NM_CUSTOMDRAW) {
            ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT,
                                drawMultilineCaption(*reinterpret_cast<const NMCUSTOMDRAW*>(lParam)));
            return TRUE;
        }
        return FALSE;
    case WM_CONTEXTMENU:
        // Controls have menus of their own; this one is the dialog's background.
        if (reinterpret_cast<HWND>(wParam) == hwnd_) {
            showBackgroundMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return TRUE;
        }
        return FALSE;
    case kMenuCommand:
        core_.onMenuCommand(static_cast<MenuCommand>(wParam));
        return TRUE;
    case WM_MENUCOMMAND: // the menu bar's, by position: see initDialog
        core_.onMenuCommand(static_cast<MenuCommand>(
            ::GetMenuItemID(reinterpret_cast<HMENU>(lParam), static_cast<int>(wParam))));
        return TRUE;
    case WM_DESTROY:
        gainEditNames_.reset();
        return FALSE;
    case WM_DROPFILES:
        onDroppedFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_INITDIALOG:
        initDialog();
        return TRUE; // the dialog manager focuses the first tab stop
    case WM_COMMAND:
        onCommandMessage(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_TIMER:
        core_.OnTimer(static_cast<int>(wParam));
        return TRUE;
    case wm::kSerialRx:
        core_.onSerialRx(static_cast<std::uint32_t>(wParam));
        return TRUE;
    case wm::kSerialHangUp:
        core_.onSerialHangUp(static_cast<std::uint32_t>(wParam));
        return TRUE;
    case kPortListChanged:
        core_.onPortListChanged();
        return TRUE;
    default:
        return FALSE;
    }
}

void Win32ParamWindow::initDialog() {
    // Before the dialog is first shown: a face standing in for the template's must not change
    // the window's proportions nor overflow its boxes.
    const DialogTemplate& dialogTemplate = paramDialogTemplate();
    const BaseUnits units = templateUnits(hwnd_, dialogTemplate);
    layOut(hwnd_, dialogTemplate, units);
    if (lineTallerThanEm(hwnd_, dialogTemplate)) {
        HWND child = ::GetWindow(hwnd_, GW_CHILD);
        for (const ControlTemplate& control : dialogTemplate.controls) {
            if (control.kind == ControlKind::StaticText && (control.styles & style::kHidden) == 0) {
                tightenLabel(child, units.y);
            }
            child = ::GetWindow(child, GW_HWNDNEXT);
        }
    }
    // Its commands' numbers start at 1, as IDOK and IDCANCEL do: a WM_COMMAND from the menu could
    // not be told from Enter or Escape, so the menu says which item by its position instead.
    const MENUINFO byPosition{
        sizeof(MENUINFO), MIM_STYLE | MIM_APPLYTOSUBMENUS, MNS_NOTIFYBYPOS, 0, nullptr, 0, 0};
    ::SetMenuInfo(::GetMenu(hwnd_), &byPosition);
    restorePlace(hwnd_, core_.settings(), place::kDialog); // else where the template puts it
    keepPlace(hwnd_, core_.settings(), place::kDialog);
    gainEditNames_.emplace(hwnd_);
    serialEvents_.setTarget(hwnd_);
    if (keyHook_) {
        keyHook_->setDialog(hwnd_);
    }
    for (const int editId : kGainEdits) {
        ::SetWindowSubclass(item(editId), &gainEditProc, kGainEditSubclass,
                            reinterpret_cast<DWORD_PTR>(this));
    }
    ::DragAcceptFiles(hwnd_, TRUE);
    const auto icon = [this](int size) {
        return reinterpret_cast<LPARAM>(
            ::LoadImageW(instance_, MAKEINTRESOURCEW(id::kAppIcon), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    };
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, icon(::GetSystemMetrics(SM_CXICON)));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, icon(::GetSystemMetrics(SM_CXSMICON)));
    for (const ComboInit& init : dialogTemplate.comboInits) {
        for (const std::string_view entry : init.items) {
            ::SendDlgItemMessageW(hwnd_, init.id, CB_ADDSTRING, 0,
                                  reinterpret_cast<LPARAM>(toUtf16(entry).c_str()));
        }
    }
    toolTip_ =
        ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr);
    core_.OnInitDialog();
}

void Win32ParamWindow::onCommandMessage(int id, int code) {
    if (id == id::kPortList && (code == CBN_SELCHANGE || code == CBN_EDITCHANGE)) {
        ::PostMessageW(hwnd_, kPortListChanged, 0, 0);
    } else if (code == EN_CHANGE) {
        if (!settingText_) {
            core_.onEditChanged(id);
        }
    } else if (code == BN_CLICKED) {
        // Also Enter (the default button's id) and Escape or the close box (IDCANCEL).
        core_.onCommand(id);
    }
}

HWND Win32ParamWindow::item(int id) const {
    return hwnd_ != nullptr ? ::GetDlgItem(hwnd_, id) : nullptr;
}

std::string Win32ParamWindow::text(int id) const {
    const HWND control = item(id);
    return control != nullptr ? toUtf8(windowText(control)) : std::string();
}

void Win32ParamWindow::setText(int id, std::string_view text) {
    if (const HWND control = item(id)) {
        settingText_ = true; // EN_CHANGE comes synchronously from inside this call
        ::SetWindowTextW(control, toUtf16(text).c_str());
        settingText_ = false;
    }
}

int Win32ParamWindow::selection(int id) const {
    const HWND list = item(id);
    if (list == nullptr) {
        return -1;
    }
    const LRESULT index = ::SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (index < 0) {
        return -1;
    }
    // Text typed into the field leaves the list without a selection, whatever entry is highlighted.
    if (isEditableList(list) && windowText(list) != listItemText(list, index)) {
        return -1;
    }
    return static_cast<int>(index);
}

void Win32ParamWindow::setSelection(int id, int index) {
    if (const HWND list = item(id)) {
        ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void Win32ParamWindow::focus(int id) {
    // The dialog manager's own way: it also selects an edit's whole text.
    if (const HWND control = item(id)) {
        ::SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }
}

void Win32ParamWindow::setToolTip(int id, std::string_view text) {
    const HWND control = item(id);
    if (control == nullptr || toolTip_ == nullptr) {
        return;
    }
    std::wstring wide = toUtf16(text);
    // A drop-down list's text field is a child window of its own: the mouse over it must show the tip too.
    COMBOBOXINFO combo{};
    combo.cbSize = sizeof combo;
    HWND tools[2] = {control, ::GetComboBoxInfo(control, &combo) ? combo.hwndItem : nullptr};
    for (const HWND tool : tools) {
        if (tool == nullptr) {
            continue;
        }
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = hwnd_;
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = wide.data();
        const bool known = !toolsAdded_.insert(tool).second;
        ::SendMessageW(toolTip_, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0,
                       reinterpret_cast<LPARAM>(&info));
    }
}

void Win32ParamWindow::setTint(int id, GainTint tint) {
    tints_[id] = tint;
    if (const HWND control = item(id)) {
        ::InvalidateRect(control, nullptr, TRUE);
    }
}

INT_PTR Win32ParamWindow::tintBrush(HDC dc, HWND control) {
    const auto found = tints_.find(::GetDlgCtrlID(control));
    if (found == tints_.end() || found->second == GainTint::None) {
        return FALSE; // the system's own colours
    }
    const auto index = static_cast<std::size_t>(found->second);
    const COLORREF colour = colourRef(*tintColour(found->second));
    if (brushes_[index] == nullptr) {
        brushes_[index] = ::CreateSolidBrush(colour);
    }
    ::SetBkColor(dc, colour);
    return reinterpret_cast<INT_PTR>(brushes_[index]);
}

void Win32ParamWindow::messageBox(const MessageBoxRequest& request,
                                  std::function<void(MessageBoxAnswer)> answered) {
    std::string body = request.text;
    if (!request.detail.empty()) {
        body += "\n" + request.detail;
    }
    UINT style = MB_OK;
    if (request.buttons == MessageBoxRequest::Buttons::OkCancel) {
        style = MB_OKCANCEL | MB_DEFBUTTON2; // Cancel is the default: Enter loses nothing
    }
    if (request.icon == MessageBoxRequest::Icon::Warning) {
        style |= MB_ICONWARNING;
    } else if (request.icon == MessageBoxRequest::Icon::Question) {
        style |= MB_ICONQUESTION;
    }
    // The box runs its own message loop: timer ticks and the watcher's messages still arrive.
    const int answer =
        ::MessageBoxW(boxOwner(), toUtf16(body).c_str(), toUtf16(request.title).c_str(), style);
    if (answered) {
        answered(answer == IDOK ? MessageBoxAnswer::Ok : MessageBoxAnswer::Cancel);
    }
}

void Win32ParamWindow::showBackgroundMenu(int x, int y) {
    HMENU menu = ::CreatePopupMenu();
    for (const MenuItem& item : kBackgroundMenu) {
        ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.command), toUtf16(menuLabel(item)).c_str());
    }
    const int chosen = ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, hwnd_, nullptr);
    ::DestroyMenu(menu);
    if (chosen != 0) { // 0: dismissed
        core_.onMenuCommand(static_cast<MenuCommand>(chosen));
    }
}

LRESULT CALLBACK Win32ParamWindow::gainEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR, DWORD_PTR window) {
    if (message == WM_CONTEXTMENU) {
        auto* self = reinterpret_cast<Win32ParamWindow*>(window);
        self->showGainMenu(edit, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    }
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(edit, &gainEditProc, kGainEditSubclass);
    }
    return ::DefSubclassProc(edit, message, wParam, lParam);
}

void Win32ParamWindow::showGainMenu(HWND edit, int x, int y) {
    const int editId = ::GetDlgCtrlID(edit);
    const std::vector<ParamDialog::FieldMenuItem> items = core_.fieldMenu(editId);
    HMENU menu = ::CreatePopupMenu();
    for (std::size_t i = 0; i < items.size(); ++i) { // command i + 1; the edit's are its messages
        ::AppendMenuW(menu, MF_STRING, i + 1, toUtf16(items[i].label).c_str());
    }
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const UINT selection = start != end ? MF_ENABLED : MF_GRAYED;
    ::AppendMenuW(menu, MF_STRING | selection, WM_CUT, L"Cu&t");
    ::AppendMenuW(menu, MF_STRING | selection, WM_COPY, L"&Copy");
    ::AppendMenuW(menu, MF_STRING | (::IsClipboardFormatAvailable(CF_UNICODETEXT) ? MF_ENABLED : MF_GRAYED),
                  WM_PASTE, L"&Paste");
    ::AppendMenuW(menu, MF_STRING, EM_SETSEL, L"Select &All");
    if (x == -1 && y == -1) { // from the keyboard: under the edit
        RECT place{};
        ::GetWindowRect(edit, &place);
        x = place.left;
        y = place.bottom;
    }
    const auto chosen =
        static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, hwnd_, nullptr));
    ::DestroyMenu(menu);
    if (chosen >= 1 && chosen <= items.size()) {
        core_.onFieldCommand(editId, items[chosen - 1].command);
    } else if (chosen == EM_SETSEL) {
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
    } else if (chosen != 0) { // 0: dismissed
        ::SendMessageW(edit, chosen, 0, 0);
    }
}

HWND Win32ParamWindow::boxOwner() const {
    const HWND active = ::GetActiveWindow();
    return active != nullptr && (active == history_.hwnd() || active == flightSettings_.hwnd()) ? active
                                                                                                : hwnd_;
}

void Win32ParamWindow::showLineLog() {
    lineLog_.show(hwnd_);
}

void Win32ParamWindow::showHistory() {
    history_.show(hwnd_);
}

void Win32ParamWindow::showFlightSettings() {
    flightSettings_.show(hwnd_);
}

void Win32ParamWindow::flightSettingsChanged() {
    flightSettings_.refresh();
}

void Win32ParamWindow::askFilePath(const FileChoice& choice, bool forSaving, const std::string& folder,
                                   std::function<void(const std::string&)> chosen) {
    chosen(tq37r::askFilePath(boxOwner(), choice, forSaving, folder));
}

void Win32ParamWindow::askText(const TextRequest& request,
                               std::function<void(const std::optional<std::string>&)> entered) {
    entered(askTextInBox(instance_, boxOwner(), request));
}

void Win32ParamWindow::onDroppedFiles(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(toUtf8(path));
    }
    ::DragFinish(drop);
    core_.onFilesDropped(paths);
}

void Win32ParamWindow::showProgress(const ProgressRequest& request, std::function<void()> cancelled) {
    progressRequest_ = &request;
    const INT_PTR result = ::DialogBoxParamW(instance_, MAKEINTRESOURCEW(TQ37R_PROGRESS_DIALOG), hwnd_,
                                             &progressProc, reinterpret_cast<LPARAM>(this));
    progress_ = nullptr;
    progressRequest_ = nullptr;
    if (result == IDCANCEL) {
        cancelled();
    }
}

INT_PTR CALLBACK Win32ParamWindow::progressProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* window = reinterpret_cast<Win32ParamWindow*>(lParam);
        window->progress_ = box;
        ::SetWindowTextW(box, toUtf16(window->progressRequest_->title).c_str());
        ::SetDlgItemTextW(box, TQ37R_PROGRESS_TEXT, toUtf16(window->progressRequest_->text).c_str());
        ::SendDlgItemMessageW(box, TQ37R_PROGRESS_BAR, PBM_SETRANGE32, 0, window->progressRequest_->steps);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(box, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

void Win32ParamWindow::setProgress(int step, std::string_view text) {
    if (progress_ != nullptr) {
        ::SendDlgItemMessageW(progress_, TQ37R_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(step), 0);
        ::SetDlgItemTextW(progress_, TQ37R_PROGRESS_TEXT, toUtf16(text).c_str());
    }
}

void Win32ParamWindow::closeProgress() {
    if (progress_ != nullptr) {
        ::EndDialog(progress_, IDOK);
    }
}

void Win32ParamWindow::endDialog() {
    ::EndDialog(hwnd_, IDCANCEL);
}

DialogClock::TimePoint Win32ParamWindow::now() const {
    return std::chrono::steady_clock::now();
}

void Win32ParamWindow::setTimer(int timerId, std::chrono::milliseconds period) {
    // Setting an existing id restarts it with the new period.
    ::SetTimer(hwnd_, static_cast<UINT_PTR>(timerId), static_cast<UINT>(period.count()), nullptr);
}

void Win32ParamWindow::killTimer(int timerId) {
    ::KillTimer(hwnd_, static_cast<UINT_PTR>(timerId));
}

} // namespace tq37r
