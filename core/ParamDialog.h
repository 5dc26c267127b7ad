#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/BackgroundMenu.h"
#include "core/DataExchange.h"
#include "core/GainTracker.h"
#include "core/LineLog.h"
#include "core/MessageMap.h"
#include "core/ModeIndicators.h"
#include "core/ParamFields.h"
#include "core/ProcessState.h"
#include "core/SaveCheck.h"
#include "device/ControllerLink.h"
#include "device/ControllerSearch.h"
#include "device/Reply.h"
#include "device/Requests.h"
#include "serial/SerialPort.h"

namespace tq37r {

class DialogClock;
class DialogView;
class StatusMessage;

// The tool's one dialog without a toolkit: the 23 parameter fields and their transfer, the
// connection button, the status line, every request and what each reply does. It works the
// window through a DialogView, time through a DialogClock, and the controller through a
// ControllerLink on the port, whose watcher's notifications come back, through the sink, to
// onSerialRx and onSerialHangUp.
class ParamDialog : private LinkListener {
public:
    static constexpr int kStatusTimerId = 1;
    // Runs while the link has something to do by a time: a stalled frame, an awaited answer.
    static constexpr int kLinkTimerId = 2;

    ParamDialog(DialogView& view, DialogClock& clock, SerialPort& port, SerialEventSink& sink,
                ParamProcessState& state = ParamProcessState::shared());
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
    // The operator changed a gain edit's text.
    void onEditChanged(int editId);

    // Gain files; the operator has chosen the path. Loading fills the grid the way Restore
    // Default Parameters does: nothing is sent.
    void saveGainFile(const std::string& path);
    void loadGainFile(const std::string& path);
    void compareWithGainFile(const std::string& path);
    // true: edits to fields (false when an edit holds no integer); false: fields to edits.
    bool UpdateData(bool saveAndValidate = true);

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

    // What a frame from the controller does to the window, as if it had just arrived.
    void decodeFrame(std::span<const std::uint8_t> frameBytes);

    const ParamFields& fields() const { return fields_; }
    // Everything the line has carried; the views' log windows show it, live.
    const LineLog& lineLog() const { return lineLog_; }
    void clearLineLog() { lineLog_.clear(); }
    // The log as text; says so in a box when it cannot be written.
    bool saveLineLog(const std::string& path);

private:
    static std::span<const MessageMapEntry<ParamDialog>> messageMap();

    // LinkListener
    void onFrame(const Reply& reply, std::optional<Answer> answered) override;
    void onUnanswered(const Answer& answer) override;

    // Tries each port of the list at each rate, and selects where the controller answered.
    void findController();
    void advanceSearch();
    void handleReply(const Reply& reply);
    void takeGainReadBack(const reply::GainReadBack& readBack);
    void acknowledged(std::uint8_t code);
    // Sends a request, or says that the port is not open.
    void sendRequest(const Request& request);
    void sendGainRow(GainGroup group);
    void showStatus(const StatusMessage& message);
    void showStatus(std::string_view text, int countdown);
    void refreshTints();
    void refreshTint(std::size_t gain);
    std::optional<std::int32_t> shownGain(std::size_t gain) const;
    void closePort(bool hungUp = false);
    void openFail(const std::string& portText, const std::string& detail);
    // Keeps the link timer running exactly while the link has a deadline.
    void armLinkTimer();

    LineLog lineLog_; // before the link, which tells it everything
    DialogView& view_;
    DialogClock& clock_;
    SerialPort& port_; // for naming ports; the link does the talking
    SerialEventSink& sink_;
    ParamProcessState& state_;
    ControllerLink link_;
    ParamFields fields_;
    DataExchange exchange_;
    ModeIndicators indicators_;
    std::size_t lastTransferCount_ = kGainCount + 2;
    bool transferring_ = false; // edits to fields, possibly with the integer prompt up
    bool lineDeferred_ = false; // the line had something for the core meanwhile
    GainTracker gains_;
    SaveCheck saveCheck_;
    ControllerSearch search_;
    std::array<std::optional<std::array<std::uint8_t, 3>>, kGainRows.size()> sentRows_; // until acknowledged
    std::optional<reply::FirmwareVersion> firmware_; // for a gain file's header
    struct Shown {
        std::optional<GainTint> tint; // none before the first refresh
        std::string toolTip;
    };
    std::array<Shown, kGainCount> shownTints_; // what the view was last told of each gain
};

} // namespace tq37r
