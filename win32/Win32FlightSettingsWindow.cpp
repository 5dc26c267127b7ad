#include "win32/Win32FlightSettingsWindow.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "core/FlightSettings.h"
#include "core/ParamDialog.h"
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"
#include "res/win32/FlightBoxIds.h"
#include "serial/win32/Utf16.h"
#include "win32/SideWindow.h"
#include "win32/WindowText.h"

namespace tq37r {
namespace {

// Each button of the box with the hidden indicator whose caption it shows.
struct ModeButton {
    int button;
    int indicator;
    FlightMode mode;
};
constexpr ModeButton kModeButtons[] = {
    {TQ37R_FLIGHT_REMOTE, id::kFlightModeRemote, FlightMode::Remote},
    {TQ37R_FLIGHT_STABILISED, id::kFlightModeStabilised, FlightMode::Stabilised},
    {TQ37R_FLIGHT_AUTO, id::kFlightModeAuto, FlightMode::Auto},
};
struct TaskButton {
    int button;
    int indicator;
    Task task;
};
constexpr TaskButton kTaskButtons[] = {
    {TQ37R_FLIGHT_RETURN, id::kTaskReturn, Task::Return},
    {TQ37R_FLIGHT_CIRCLE, id::kTaskCircle, Task::Circle},
    {TQ37R_FLIGHT_TAKE_OFF, id::kTaskTakeOff, Task::TakeOff},
    {TQ37R_FLIGHT_CANCEL_TASK, id::kTaskCancel, Task::Cancel},
};
// The box's words, by control: a label ends in a colon.
struct Words {
    int id;
    std::string_view text;
    bool label;
};
constexpr Words kWords[] = {
    {TQ37R_FLIGHT_ALTITUDE_LABEL, text::kTargetAltitude, true},
    {TQ37R_FLIGHT_SET_ALTITUDE, text::kSetAltitude, false},
    {TQ37R_FLIGHT_RADIUS_LABEL, text::kCirclingRadius, true},
    {TQ37R_FLIGHT_SET_RADIUS, text::kSetRadius, false},
    {TQ37R_FLIGHT_READ, text::kReadBoth, false},
    {TQ37R_FLIGHT_MIXING_LABEL, text::kMixingMode, true},
    {TQ37R_FLIGHT_READ_MIXING, text::kReadMixing, false},
    {TQ37R_FLIGHT_SET_MIXING, text::kSetMixing, false},
    {TQ37R_FLIGHT_GYRO, text::kGyroSelfTest, false},
    {TQ37R_FLIGHT_RETURN_LABEL, text::kAutomaticReturn, true},
    {TQ37R_FLIGHT_RETURN_ON, text::kOn, false},
    {TQ37R_FLIGHT_RETURN_OFF, text::kOff, false},
    {TQ37R_FLIGHT_MODES_LABEL, text::kFlightModes, true},
    {TQ37R_FLIGHT_TASKS_LABEL, text::kTasks, true},
};

} // namespace

Win32FlightSettingsWindow::~Win32FlightSettingsWindow() {
    if (hwnd_ != nullptr) {
        ::DestroyWindow(hwnd_);
    }
}

void Win32FlightSettingsWindow::show(HWND dialog) {
    if (hwnd_ == nullptr) {
        hwnd_ = ::CreateDialogParamW(instance_, MAKEINTRESOURCEW(TQ37R_FLIGHT_DIALOG), dialog, &boxProc,
                                     reinterpret_cast<LPARAM>(this));
        if (hwnd_ == nullptr) {
            return;
        }
        placeSideWindow(hwnd_, dialog, core_.settings(), place::kFlightSettings);
    }
    refresh();
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    ::SetForegroundWindow(hwnd_);
}

bool Win32FlightSettingsWindow::takeDialogMessage(MSG* msg) {
    return takeBoxMessage(hwnd_, msg);
}

INT_PTR CALLBACK Win32FlightSettingsWindow::boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* window = boxOwner<Win32FlightSettingsWindow>(box, message, lParam);
    if (window == nullptr) {
        return FALSE;
    }
    if (message == WM_INITDIALOG) {
        window->hwnd_ = box;
        window->init();
        return TRUE;
    }
    if (message == WM_DESTROY) { // with the dialog that owns it
        window->hwnd_ = nullptr;
        window->altitude_.reset();
        window->radius_.reset();
        window->mixingItem_.reset();
        return FALSE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        window->onCommand(LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

void Win32FlightSettingsWindow::init() {
    ::SetWindowTextW(hwnd_, toUtf16(text::kFlightSettingsTitle).c_str());
    ::SetDlgItemTextW(hwnd_, TQ37R_FLIGHT_RETURN_NOTE, toUtf16(text::kAutoReturnOffIsVersionQuery).c_str());
    for (const Words& words : kWords) {
        ::SetDlgItemTextW(hwnd_, words.id, (toUtf16(words.text) + (words.label ? L":" : L"")).c_str());
    }
    // The template's own words, the mixing modes and the indicators, in the face the dialog has
    // for them, which has their characters.
    const auto font = static_cast<WPARAM>(::SendMessageW(::GetWindow(hwnd_, GW_OWNER), WM_GETFONT, 0, 0));
    const HWND list = ::GetDlgItem(hwnd_, TQ37R_FLIGHT_MIXING);
    ::SendMessageW(list, WM_SETFONT, font, FALSE);
    for (const ModeButton& b : kModeButtons) {
        ::SendDlgItemMessageW(hwnd_, b.button, WM_SETFONT, font, FALSE);
    }
    for (const TaskButton& b : kTaskButtons) {
        ::SendDlgItemMessageW(hwnd_, b.button, WM_SETFONT, font, FALSE);
    }
    // The items are wider than the list: it drops down as wide as the widest.
    const HDC dc = ::GetDC(list);
    const HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(font));
    LONG widest = 0;
    for (const std::string& text : mixingModeItems()) {
        const std::wstring item = toUtf16(text);
        ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        SIZE size{};
        ::GetTextExtentPoint32W(dc, item.c_str(), static_cast<int>(item.size()), &size);
        widest = std::max(widest, size.cx);
    }
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(list, dc);
    ::SendMessageW(list, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(widest + 4 * ::GetSystemMetrics(SM_CXEDGE)),
                   0);
}

void Win32FlightSettingsWindow::refresh() {
    if (hwnd_ == nullptr) {
        return;
    }
    const FlightSettingsState& state = core_.flightSettings();
    const auto take = [this](int id, const std::optional<std::int32_t>& value,
                             std::optional<std::int32_t>& shown) {
        if (value && value != shown) {
            ::SetDlgItemTextW(hwnd_, id, std::to_wstring(*value).c_str());
        }
        shown = value;
    };
    take(TQ37R_FLIGHT_ALTITUDE, state.targetAltitude, altitude_);
    take(TQ37R_FLIGHT_RADIUS, state.circlingRadius, radius_);
    if (state.mixingItem && state.mixingItem != mixingItem_) {
        ::SendDlgItemMessageW(hwnd_, TQ37R_FLIGHT_MIXING, CB_SETCURSEL,
                              static_cast<WPARAM>(*state.mixingItem), 0);
    }
    mixingItem_ = state.mixingItem;
    setItemText(TQ37R_FLIGHT_GYRO_RESULT, state.gyro ? gyroText(*state.gyro) : std::string());
    for (const ModeButton& b : kModeButtons) {
        setItemText(b.button, std::string(core_.indicatorCaption(b.indicator)));
    }
    for (const TaskButton& b : kTaskButtons) {
        setItemText(b.button, std::string(core_.indicatorCaption(b.indicator)));
    }
}

void Win32FlightSettingsWindow::onCommand(int id) {
    switch (id) {
    case IDOK: { // Enter: in an edit, sets what it holds
        const HWND focus = ::GetFocus();
        const int focused = ::IsChild(hwnd_, focus) ? ::GetDlgCtrlID(focus) : 0;
        if (focused == TQ37R_FLIGHT_ALTITUDE || focused == TQ37R_FLIGHT_RADIUS) {
            core_.setFlightSetting(focused == TQ37R_FLIGHT_ALTITUDE, itemText(focused));
        }
        return;
    }
    case IDCANCEL: // Escape and the close box hide it
        ::ShowWindow(hwnd_, SW_HIDE);
        return;
    case TQ37R_FLIGHT_SET_ALTITUDE:
    case TQ37R_FLIGHT_SET_RADIUS:
        core_.setFlightSetting(
            id == TQ37R_FLIGHT_SET_ALTITUDE,
            itemText(id == TQ37R_FLIGHT_SET_ALTITUDE ? TQ37R_FLIGHT_ALTITUDE : TQ37R_FLIGHT_RADIUS));
        return;
    case TQ37R_FLIGHT_READ:
        // The answer is shown even where it repeats what was shown before the operator typed.
        altitude_.reset();
        radius_.reset();
        core_.readFlightSettings();
        return;
    case TQ37R_FLIGHT_READ_MIXING:
        mixingItem_.reset();
        core_.readMixingMode();
        return;
    case TQ37R_FLIGHT_SET_MIXING:
        // Nothing is selected until the controller has said, or the operator has chosen.
        if (const auto item = ::SendDlgItemMessageW(hwnd_, TQ37R_FLIGHT_MIXING, CB_GETCURSEL, 0, 0);
            item >= 0) {
            core_.setMixingMode(static_cast<int>(item));
        } else {
            ::MessageBeep(MB_OK);
        }
        return;
    case TQ37R_FLIGHT_GYRO:
        core_.runGyroTest();
        return;
    case TQ37R_FLIGHT_RETURN_ON:
    case TQ37R_FLIGHT_RETURN_OFF:
        core_.setAutoReturn(id == TQ37R_FLIGHT_RETURN_ON);
        return;
    default:
        break;
    }
    for (const ModeButton& b : kModeButtons) {
        if (b.button == id) {
            core_.commandFlightMode(b.mode);
        }
    }
    for (const TaskButton& b : kTaskButtons) {
        if (b.button == id) {
            core_.commandTask(b.task);
        }
    }
}

std::string Win32FlightSettingsWindow::itemText(int id) const {
    return toUtf8(windowText(::GetDlgItem(hwnd_, id)));
}

void Win32FlightSettingsWindow::setItemText(int id, const std::string& text) {
    const std::wstring wide = toUtf16(text);
    wchar_t shown[128] = {};
    ::GetDlgItemTextW(hwnd_, id, shown, static_cast<int>(std::size(shown)));
    if (wide != shown) {
        ::SetDlgItemTextW(hwnd_, id, wide.c_str());
    }
}

} // namespace tq37r
