#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <optional>
#include <set>

#include "core/DialogClock.h"
#include "core/DialogView.h"
#include "core/ParamDialog.h"
#include "win32/DialogKeyHook.h"
#include "win32/GainEditNames.h"
#include "win32/Win32FlightSettingsWindow.h"
#include "win32/Win32HistoryWindow.h"
#include "win32/Win32LineLogWindow.h"
#include "win32/WindowMessagePoster.h"

namespace tq37r {

// The tool's window on Win32: dialog 102 from the program's resources, run by the system's
// dialog manager (which also turns Enter into the default button's command and Escape into
// the cancel command), with the menu bar over it and the dialog core behind it. Button clicks,
// menu commands, timer ticks and the watcher's posted messages go to the core; the core works
// the controls through DialogView. The dialog and its side windows open where they were left.
class Win32ParamWindow final : public DialogView, public DialogClock {
public:
    explicit Win32ParamWindow(SerialPort& port, HINSTANCE instance = ::GetModuleHandleW(nullptr));
    ~Win32ParamWindow();
    Win32ParamWindow(const Win32ParamWindow&) = delete;
    Win32ParamWindow& operator=(const Win32ParamWindow&) = delete;

    // Shows the dialog and returns when it has ended; -1 when it could not be created.
    INT_PTR run(HWND owner = nullptr);
    // The dialog while it runs, else nullptr.
    HWND hwnd() const { return hwnd_; }
    ParamDialog& core() { return core_; }

    // DialogView
    std::string text(int id) const override;
    void setText(int id, std::string_view text) override;
    int selection(int id) const override;
    void setSelection(int id, int index) override;
    void focus(int id) override;
    void setToolTip(int id, std::string_view text) override;
    void setTint(int id, GainTint tint) override;
    void messageBox(const MessageBoxRequest& request,
                    std::function<void(MessageBoxAnswer)> answered) override;
    void askFilePath(const FileChoice& choice, bool forSaving, const std::string& folder,
                     std::function<void(const std::string&)> chosen) override;
    void askText(const TextRequest& request,
                 std::function<void(const std::optional<std::string>&)> entered) override;
    void showProgress(const ProgressRequest& request, std::function<void()> cancelled) override;
    void setProgress(int step, std::string_view text) override;
    void closeProgress() override;
    void showLineLog() override;
    void showHistory() override;
    void showFlightSettings() override;
    void flightSettingsChanged() override;
    void endDialog() override;

    // DialogClock
    TimePoint now() const override;
    void setTimer(int timerId, std::chrono::milliseconds period) override;
    void killTimer(int timerId) override;

private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK progressProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK gainEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR window);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void initDialog();
    void onCommandMessage(int id, int code);
    HWND item(int id) const;
    INT_PTR tintBrush(HDC dc, HWND control);
    // The background's context menu at screen point (x, y), and files dropped on the window.
    void showBackgroundMenu(int x, int y);
    // A gain edit's own menu: the core's items for it, then the edit's clipboard commands.
    void showGainMenu(HWND edit, int x, int y);
    // A box goes over the side window it was asked for from, so that its buttons wait for it.
    HWND boxOwner() const;
    void onDroppedFiles(HDROP drop);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    HWND toolTip_ = nullptr;
    HWND progress_ = nullptr; // while showProgress runs
    const ProgressRequest* progressRequest_ = nullptr;
    std::set<HWND> toolsAdded_;
    std::map<int, GainTint> tints_;
    std::array<HBRUSH, 5> brushes_{};  // by GainTint, made when first needed
    bool settingText_ = false;         // the core writes an edit: not the operator's change
    WindowMessagePoster serialEvents_; // outlives the core, whose port's watcher posts through it
    ParamDialog core_;
    Win32LineLogWindow lineLog_; // reads the core's log
    Win32HistoryWindow history_; // reads the core's history
    Win32FlightSettingsWindow flightSettings_;
    std::optional<GainEditNames> gainEditNames_; // while the dialog lives
    std::optional<DialogKeyHook> keyHook_;       // while run() runs
};

} // namespace tq37r
