#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/BackgroundMenu.h"
#include "core/DataExchange.h"
#include "core/FlightSettings.h"
#include "core/GainTint.h"
#include "core/GridUndo.h"
#include "core/HistoryBrowser.h"
#include "core/Journal.h"
#include "core/LineLog.h"
#include "core/MessageMap.h"
#include "core/ModeIndicators.h"
#include "core/ParamFields.h"
#include "core/ProcessState.h"
#include "core/Settings.h"
#include "device/Reply.h"
#include "device/Requests.h"
#include "serial/SerialPort.h"
#include "session/ControllerSession.h"

namespace tq37r {

class DialogClock;
class DialogView;
class StatusMessage;

// The tool's one dialog without a toolkit, a presenter between the controller session and a
// window: the 23 parameter fields and their transfer, the connection button, the status line,
// a handler per control, and what each of the session's events shows. It works the window
// through a DialogView and time through a DialogClock; the port's notifications come back,
// through the sink, to onSerialRx and onSerialHangUp. Nothing here waits.
class ParamDialog : private SessionListener {
public:
    static constexpr int kStatusTimerId = 1;
    // Runs while the session has something to do by a time: a read's pause, an awaited answer.
    static constexpr int kLinkTimerId = 2;

    // Find controller tries each port on a port `makePort` gives; the tuning history is kept in
    // `dataFolder`.
    ParamDialog(DialogView& view, DialogClock& clock, SerialPort& port, SerialEventSink& sink,
                ControllerSearch::PortMaker makePort = {},
                const std::filesystem::path& dataFolder = tq37r::dataFolder());
    ParamDialog(const ParamDialog&) = delete;
    ParamDialog& operator=(const ParamDialog&) = delete;

    // Framework steps: the view calls these.
    bool OnInitDialog();
    void OnCancel();
    void OnTimer(int timerId);
    // A control's button-clicked notification; the cancel command ends the run.
    void onCommand(int id);
    // The port's watcher posted that bytes wait, or that the device went away; tag tells
    // this open's notifications from an earlier one's, which are ignored.
    void onSerialRx(std::uint32_t tag);
    void onSerialHangUp(std::uint32_t tag);
    // The background menu (and its shortcuts); files dropped on the window.
    void onMenuCommand(MenuCommand command);
    void onFilesDropped(std::span<const std::string> paths);
    // The port list's selection or typed text changed (the tooltip follows it).
    void onPortListChanged();
    // The operator changed an edit's text.
    void onEditChanged(int editId);

    // Gain files; the operator has chosen the path. Loading fills the grid the way Restore
    // Default Parameters does: nothing is sent.
    void saveGainFile(const std::string& path);
    void loadGainFile(const std::string& path);
    void compareWithGainFile(const std::string& path);
    // Asks for a gain file, starting where the last one was, and remembers where it was.
    void askGainFile(bool forSaving, std::function<void(const std::string&)> chosen);
    // Writes gains (the grid's, a snapshot's) to a gain file; says so in a box when it cannot.
    bool writeGains(const std::string& path, const Gains& gains, const std::string& firmware);

    // The grid's gains as shown: nullopt where the text is no value a gain can have.
    std::array<std::optional<std::uint8_t>, kGainCount> gridGains() const;
    // A snapshot's gains into the grid, as a file's go: undoable, and nothing is sent.
    void loadSnapshot(const Gains& gains, const std::string& id);
    // A gain edit's own menu: back to the default, or to what the controller holds.
    enum class FieldCommand { ResetToDefault, BackToController };
    struct FieldMenuItem {
        FieldCommand command;
        std::string label;
    };
    std::vector<FieldMenuItem> fieldMenu(int editId) const;
    void onFieldCommand(int editId, FieldCommand command);

    // Handlers, one per control (see the message map).
    void onOpenClose();
    void onSetTargetAltitude();
    void onSetCirclingRadius();
    void onReadFlightParams();
    void onSetMixingMode();
    void onReadMixingMode();
    void onSaveConfiguration();
    void onFlightModeRemote();
    void onFlightModeStabilised();
    void onFlightModeAuto();
    void onTaskReturn();
    void onTaskCircle();
    void onTaskTakeOff();
    void onTaskCancel();
    void onGyroSelfTest();
    void onAutoReturnOn();
    void onGetFirmwareVersion();
    void onRead();
    void onSetPitch();
    void onSetRoll();
    void onSetHeading();
    void onSetOther();
    void onSetX();
    void onSetY();
    void onSetHeight();
    void onRestoreDefaults();

    const ParamFields& fields() const { return fields_; }
    const ParamProcessState& processState() const { return state_; }
    ControllerSession& session() { return session_; }
    Settings& settings() { return settings_; }

    // The Flight settings window's state and requests: the same requests and replies as the
    // hidden controls'. The flight mode and task fly the aircraft, so each asks first.
    const FlightSettingsState& flightSettings() const { return flight_; }
    // An indicator's caption as the hidden flight-mode and task buttons show it: "遥控ON".
    std::string_view indicatorCaption(int buttonId) const { return indicators_.caption(buttonId); }
    void readFlightSettings();
    // The altitude's or the radius's text: a whole number from 0 to 65535, else the prompt.
    void setFlightSetting(bool altitude, std::string_view text);
    void readMixingMode();
    void setMixingMode(int item);
    void runGyroTest();
    void setAutoReturn(bool on);
    void commandFlightMode(FlightMode mode);
    void commandTask(Task task);
    Journal& journal() { return journal_; }
    HistoryBrowser& history() { return history_; }
    // Everything the line has carried; the views' log windows show it, live.
    const LineLog& lineLog() const { return lineLog_; }
    void clearLineLog() { lineLog_.clear(); }
    // The log as text; says so in a box when it cannot be written.
    bool saveLineLog(const std::string& path);

private:
    static std::span<const MessageMapEntry<ParamDialog>> messageMap();

    // SessionListener
    void onReply(const Reply& reply) override;
    void onGainsRead(const reply::GainReadBack& readBack, bool forSaveCheck) override;
    void onKnowledgeChanged() override;
    void onUnanswered(const Request& request) override;
    void onSaveChecked(const SaveVerdict& verdict) override;
    void onSearchMoved() override;
    void onHungUp() override;

    // Tries each port of the list at each rate, and selects where the controller answered.
    void findController();
    void searchEnded(bool cancelled);
    // Edits to fields; the prompt, when an edit held no fit integer, is left to ask last.
    DataExchange::Taken takeEdits();
    void prompt(const DataExchange::Taken& taken);
    void showGrid();
    // Sends a request, or says that the port is not open.
    void sendRequest(const Request& request);
    void sendGainRow(GainGroup group);
    // The altitude or the radius, from its edit.
    void sendFlightSetting(int editId);
    void markTouched(std::size_t gain) { touched_[gain] = true; }
    void showStatus(const StatusMessage& message);
    void showStatus(std::string_view text, int countdown);
    void refreshTints();
    void refreshTint(std::size_t gain);
    GainTint tintOf(std::size_t gain) const;
    void closePort();
    void openFail(const std::string& portText, const std::string& detail);
    // Keeps the link timer running exactly while the session has a deadline.
    void armLinkTimer();
    // The grid's texts and where their values came from, to go back to; and showing one.
    GridState gridState() const;
    void showGridState(const GridState& state);
    // The operator is about to change the grid other than by typing.
    void beforeGridChange() { undo_.beforeChange(gridState()); }
    void recordGains(JournalEntry::Kind kind, const std::string& file);
    // Puts back the port and rate that opened last.
    void restoreLine();

    LineLog lineLog_; // before the session, which tells it everything
    Journal journal_; // before the session, which records into it
    DialogView& view_;
    DialogClock& clock_;
    SerialPort& port_; // for naming ports; the session does the talking
    ParamProcessState state_;
    ControllerSession session_;
    ParamFields fields_;
    DataExchange exchange_;
    ModeIndicators indicators_;
    GridUndo undo_;
    Settings settings_;
    FlightSettingsState flight_;
    HistoryBrowser history_;
    std::array<bool, kGainCount> touched_{}; // the grid's value was typed, loaded or restored here
    bool promptUp_ = false;                  // the integer prompt waits for the operator
    bool gridStale_ = false;                 // a read-back came meanwhile: shown once the prompt is answered
    bool searching_ = false;
    // What a gain's tint and tooltip were made from when the view was last told.
    struct Shown {
        std::optional<GainTint> tint; // none before the first refresh
        std::optional<std::uint8_t> controller;
        std::optional<std::uint8_t> expected;
        std::optional<GainKnowledge::LastRead> lastRead; // only where the tooltip names it
        bool saysTheSame(const Shown& other) const {
            return tint == other.tint && controller == other.controller && expected == other.expected &&
                   lastRead.has_value() == other.lastRead.has_value() &&
                   (!lastRead ||
                    (lastRead->value == other.lastRead->value && lastRead->at == other.lastRead->at));
        }
    };
    std::array<Shown, kGainCount> shownTints_; // what the view was last told of each gain
};

} // namespace tq37r
