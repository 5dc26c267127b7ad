#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/BackgroundMenu.h"
#include "core/DataExchange.h"
#include "core/FieldBindings.h"
#include "core/GainTracker.h"
#include "core/MessageMap.h"
#include "core/ParamFields.h"
#include "core/ProcessState.h"
#include "core/ReplyWatch.h"
#include "device/Reply.h"
#include "device/Requests.h"
#include "serial/SerialPort.h"

namespace tq37r {

class DialogClock;
class DialogView;
class StatusMessage;

// The tool's one dialog without a toolkit: the 23 parameter fields and their transfer, the
// connection button, the status line, every request and what each reply does. It works the
// window through a DialogView, time through a DialogClock, and the line through a SerialPort
// whose notifications come back, through the sink, to onSerialEvent.
class ParamDialog {
public:
    static constexpr int kStatusTimerId = 1;
    static constexpr int kFrameGapTimerId = 2;

    ParamDialog(DialogView& view, DialogClock& clock, SerialPort& port, SerialEventSink& sink,
                ParamProcessState& state = ParamProcessState::shared());
    ~ParamDialog();
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

    // Gain files; the view has asked the operator for the path. Loading fills the grid the
    // way Restore Default Parameters does: nothing is sent.
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

    // Replies: called by the frame receiver for every frame that passed its check.
    void decodeFrame(std::span<const std::uint8_t> frameBytes);
    void showAcknowledgement(const reply::Acknowledgement& acknowledgement);
    void updateFlightModeCaptions();
    void updateTaskCaptions();

    const ParamFields& fields() const { return fields_; }

private:
    static std::span<const MessageMapEntry<ParamDialog>> messageMap();

    // Sends a request, or says that the port is not open; expectedAnswer (a reply code, or the
    // code an acknowledgement names) is awaited for a second.
    void sendRequest(std::size_t byteCount, std::optional<std::uint8_t> expectedAnswer = std::nullopt);
    void sendGainGroup(GainGroup group, ParamField first, ParamField second, ParamField third);
    void showStatus(const StatusMessage& message);
    void showStatus(std::string_view text, int countdown);
    void takeGainBlock(bool secondBlock, const StatusMessage& status);
    void acknowledged(std::uint8_t code);
    void refreshTints();
    void refreshTint(std::size_t gain);
    void closePort();
    void openFail(const std::string& portText, const std::string& detail);
    void watchForStalledFrame();
    void onFrameQuietGap();
    void drainAndDecode();

    DialogView& view_;
    DialogClock& clock_;
    SerialPort& port_;
    SerialEventSink& sink_;
    ParamProcessState& state_;
    ParamFields fields_;
    DataExchange exchange_;
    std::size_t lastTransferCount_ = kIntegerTransferOrder.size();
    bool transferring_ = false; // edits to fields, possibly with the integer prompt up
    bool rxDeferred_ = false;   // data arrived meanwhile
    std::uint32_t openTag_ = 0; // tells this open's notifications from an earlier one's
    std::uint32_t openBaudRate_ = 0;
    GainTracker gains_;
    ReplyWatch replyWatch_;
    std::array<std::optional<std::array<std::uint8_t, 3>>, 7> sentRows_; // by GainGroup, until acknowledged
    bool verifyingSave_ = false;  // the read-back after a save is being compared
    unsigned verifiedBlocks_ = 0; // bit 0: first gain block, bit 1: second
    std::size_t saveMismatches_ = 0;
    std::size_t firstMismatch_ = 0; // grid index of the first gain that did not read back as saved
    ParamFields incoming_;          // a gain block as it arrived
    std::optional<reply::FirmwareVersion> firmware_; // for a gain file's header
};

} // namespace tq37r
