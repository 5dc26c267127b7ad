#pragma once

#include <QIcon>
#include <QPointer>

#include <map>

#include "core/DialogClock.h"
#include "core/DialogView.h"
#include "core/ParamDialog.h"
#include "qt/LineLogWindow.h"
#include "qt/SerialEventPoster.h"
#include "qt/TemplateDialog.h"
#include "qt/WindowPlaces.h"

namespace tq37r {

// The tool's window on Qt: widgets built from template 102, with the dialog core behind
// them. Clicks, timer ticks and the watcher's posted notifications go to the core; the core
// reads and writes the widgets through the DialogView calls.
class ParamWindow final : public TemplateDialog, public DialogView, public DialogClock {
public:
    // Find controller tries each port on one `makePort` gives.
    explicit ParamWindow(SerialPort& port, ControllerSearch::PortMaker makePort = {},
                         QWidget* parent = nullptr);
    ~ParamWindow() override;

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
    // The Flight settings window once shown, else nullptr.
    class FlightSettingsWindow* flightSettingsWindow() const {
        return flight_;
    }
    // The history's window once shown, else nullptr.
    class HistoryWindow* historyWindow() const {
        return history_;
    }
    // The line log's window once shown, else nullptr.
    LineLogWindow* lineLogWindow() const { return lineLog_.data(); }
    void endDialog() override;

    // DialogClock
    TimePoint now() const override;
    void setTimer(int timerId, std::chrono::milliseconds period) override;
    void killTimer(int timerId) override;

protected:
    void onCommand(int id) override;
    bool event(QEvent* event) override;
    void reject() override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // A gain edit's own menu, and its undo keys, which are the grid's.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenuBar();

    std::map<int, int> qtTimers_;           // the core's timer id -> Qt's
    class ProgressBox* progress_ = nullptr; // while runProgress runs
    QPointer<LineLogWindow> lineLog_;       // a child that deletes itself when closed
    class HistoryWindow* history_ = nullptr;
    class FlightSettingsWindow* flight_ = nullptr;
    SerialEventPoster serialEvents_; // outlives the core, whose port's watcher posts through it
    ParamDialog core_;
    WindowPlaces places_; // the core's settings keep them
};

} // namespace tq37r
