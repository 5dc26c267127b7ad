#pragma once

#include <QIcon>
#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <span>

#include "device/Reply.h"
#include "device/Requests.h"
#include "serial/NotifyingSerialPort.h"
#include "ui/DataExchange.h"
#include "ui/MessageMap.h"
#include "ui/ParamBindings.h"
#include "ui/ParamFields.h"
#include "ui/ParamProcessState.h"
#include "ui/SerialEventPoster.h"
#include "ui/TemplateDialog.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace tq37r {

// The tool's one window: the parameter grid, the connection button, the status line and
// the (hidden) flight controls, built from dialog template 102.
class ParamDialog : public TemplateDialog {
public:
    explicit ParamDialog(ParamProcessState& state = ParamProcessState::shared(), QWidget* parent = nullptr);
    ~ParamDialog() override;

    // Framework steps.
    bool OnInitDialog();
    void OnCancel();
    void OnTimer(int timerId);
    // true: edits to fields (false when an edit holds no integer); false: fields to edits.
    bool UpdateData(bool saveAndValidate = true);

    // Connection and serial notifications.
    void onOpenClose();
    void onSerialRx();
    void onSerialHangUp();

    // Requests, one per button.
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

    ParamFields fields;

protected:
    void onCommand(int id) override;
    bool event(QEvent* event) override;
    void reject() override;

private:
    static std::span<const MessageMapEntry<ParamDialog>> messageMap();

    void sendRequest(std::size_t byteCount);
    void sendGainGroup(GainGroup group, ParamField first, ParamField second, ParamField third);
    void showStatus(const StatusMessage& message);
    void closePort();
    void openFail(const QString& portText, const QString& detail);
    void updatePortToolTip();
    void watchForStalledFrame();
    void onFrameQuietGap();

    ParamProcessState& state_;
    QComboBox* mixingModeCombo;
    QComboBox* baudCombo;
    QComboBox* portCombo;
    QLineEdit* statusLine;
    QPlainTextEdit* spareEdit;
    QIcon appIcon;
    DataExchange exchange_;
    std::size_t lastTransferCount_ = kIntegerTransferOrder.size();
    bool transferring_ = false; // edits to fields, possibly with the integer prompt up
    bool rxDeferred_ = false;   // data arrived meanwhile
    int timerId_ = 0;
    QTimer frameGapTimer_;           // runs while the receiver holds part of a frame
    SerialEventPoster serialEvents_; // outlives port, whose watcher posts through it

public:
    NotifyingSerialPort port;
};

} // namespace tq37r
