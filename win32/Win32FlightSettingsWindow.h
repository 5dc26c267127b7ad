#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tq37r {

class ParamDialog;

// Flight settings…: the altitude and radius, the mixing mode, the gyro self-test, automatic
// return, and the flight mode and task with their indicators, in a modeless box beside the
// dialog. It shows what the core last heard and sends through the core's requests; closing it
// only hides it.
class Win32FlightSettingsWindow {
public:
    Win32FlightSettingsWindow(ParamDialog& core, HINSTANCE instance) : core_(core), instance_(instance) {}
    ~Win32FlightSettingsWindow();
    Win32FlightSettingsWindow(const Win32FlightSettingsWindow&) = delete;
    Win32FlightSettingsWindow& operator=(const Win32FlightSettingsWindow&) = delete;

    // Creates the box beside `dialog` the first time (where the operator last left it, if that is
    // still on a screen), then shows and raises it.
    void show(HWND dialog);
    // Shows again what the core holds; what the operator is typing stays unless the controller's
    // answer changed it.
    void refresh();
    // For the dialog's message filter: true when msg was the box's keyboard navigation.
    bool takeDialogMessage(MSG* msg);
    HWND hwnd() const { return hwnd_; }

private:
    static INT_PTR CALLBACK boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
    void init();
    void onCommand(int id);
    std::string itemText(int id) const;
    // Sets a control's text only when it changes: state reports come many times a second.
    void setItemText(int id, const std::string& text);

    ParamDialog& core_;
    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    // What the box last took from the core, so that a refresh overwrites only what changed.
    std::optional<std::int32_t> altitude_;
    std::optional<std::int32_t> radius_;
    std::optional<int> mixingItem_;
};

} // namespace tq37r
