#include "ui/ParamDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimerEvent>

#include <chrono>
#include <string>
#include <thread>

#include "protocol/FrameIo.h"
#include "res/Resources.h"
#include "serial/PortNames.h"
#include "ui/BaudRate.h"
#include "ui/DialogInteger.h"
#include "ui/ModalHooks.h"
#include "ui/OpenFailureText.h"

namespace tq37r {
namespace {

constexpr int kIdOpenClose = 1;
constexpr int kIdCancel = 2;
constexpr int kStatusTimerId = 1;
constexpr std::chrono::milliseconds kStatusTimerPeriod{100};
constexpr std::chrono::milliseconds kFirstOpenReadPause{300};
constexpr int kMaxPortNumber = 1024;

} // namespace

std::span<const MessageMapEntry<ParamDialog>> ParamDialog::messageMap() {
    using D = ParamDialog;
    static constexpr MessageMapEntry<D> kMap[] = {
        {wm::kCommand, kIdOpenClose, &D::onOpenClose},
        {wm::kTimer, 0, nullptr, &D::OnTimer},
        {wm::kCommand, 1012, &D::onSetTargetAltitude},
        {wm::kCommand, 1013, &D::onSetCirclingRadius},
        {wm::kCommand, 1014, &D::onReadFlightParams},
        {wm::kCommand, 1016, &D::onSetMixingMode},
        {wm::kCommand, 1015, &D::onReadMixingMode},
        {wm::kCommand, 1017, &D::onSaveConfiguration},
        {wm::kCommand, 1018, &D::onFlightModeRemote},
        {wm::kCommand, 1019, &D::onFlightModeStabilised},
        {wm::kCommand, 1020, &D::onFlightModeAuto},
        {wm::kCommand, 1021, &D::onTaskReturn},
        {wm::kCommand, 1022, &D::onTaskCircle},
        {wm::kCommand, 1023, &D::onTaskTakeOff},
        {wm::kCommand, 1024, &D::onTaskCancel},
        {wm::kCommand, 1025, &D::onGyroSelfTest},
        {wm::kCommand, 1026, &D::onAutoReturnOn},
        {wm::kCommand, 1028, &D::onGetFirmwareVersion},
        {wm::kCommand, 1029, &D::onRead},
        {wm::kCommand, 1037, &D::onSetPitch},
        {wm::kCommand, 1047, &D::onSetRoll},
        {wm::kCommand, 1051, &D::onSetHeading},
        {wm::kCommand, 1055, &D::onSetOther},
        {wm::kCommand, 1035, &D::onRestoreDefaults},
        {wm::kCommand, 1062, &D::onSetX},
        {wm::kCommand, 1063, &D::onSetY},
        {wm::kCommand, 1067, &D::onSetHeight},
        {wm::kCommand, 1068, &D::onGetFirmwareVersion},
        {wm::kSerialRx, 0, &D::onSerialRx},
        {wm::kSerialHangUp, 0, &D::onSerialHangUp},
    };
    return kMap;
}

ParamDialog::ParamDialog(ParamProcessState& state, QWidget* parent)
    : TemplateDialog(paramDialogTemplate(), parent), state_(state), mixingModeCombo(combo(1040)),
      baudCombo(combo(1032)), portCombo(combo(1031)), statusLine(edit(1027)),
      spareEdit(qobject_cast<QPlainTextEdit*>(dlgItem(1000))), exchange_(*this, fields),
      serialEvents_(*this) {
    initResources();
    frameGapTimer_.setSingleShot(true);
    connect(&frameGapTimer_, &QTimer::timeout, this, [this] { onFrameQuietGap(); });
    appIcon.addFile(QString::fromLatin1(kAppIconPath));
    appIcon.addFile(QString::fromLatin1(kAppIconLargePath));
    OnInitDialog();
}

ParamDialog::~ParamDialog() {
    // The lists outlive this part of the dialog while the base class deletes its children,
    // and may still signal (a focused list settles its text as it goes).
    portCombo->disconnect(this);
    // Stop the watcher before the window it posts to goes away.
    port.close();
}

bool ParamDialog::OnInitDialog() {
    UpdateData(false);
    setWindowIcon(appIcon);
    timerId_ = startTimer(kStatusTimerPeriod);
    portCombo->setCurrentIndex(0);
    baudCombo->setCurrentIndex(4);
    mixingModeCombo->setCurrentIndex(0);
    updateFlightModeCaptions();
    updateTaskCaptions();

    connect(portCombo, &QComboBox::currentIndexChanged, this, [this] { updatePortToolTip(); });
    connect(portCombo, &QComboBox::editTextChanged, this, [this] { updatePortToolTip(); });
    updatePortToolTip();
    return true;
}

void ParamDialog::OnCancel() {
    QDialog::reject();
}

void ParamDialog::reject() {
    onCommand(kIdCancel);
}

void ParamDialog::onCommand(int id) {
    if (!dispatchMessage<ParamDialog>(*this, messageMap(), wm::kCommand, id, 0) && id == kIdCancel) {
        OnCancel();
    }
}

bool ParamDialog::event(QEvent* event) {
    const int type = event->type();
    if (type == wm::kSerialRx || type == wm::kSerialHangUp) {
        // Notifications from the watcher of an earlier open concern a port that is closed by now.
        if (!serialEvents_.isCurrent(*static_cast<SerialNotifyEvent*>(event))) {
            return true;
        }
        if (type == wm::kSerialRx && transferring_) {
            // The integer prompt is up: a read-back now would overwrite the fields being taken
            // and the entry being corrected. The bytes wait in the port until the request is out.
            rxDeferred_ = true;
            return true;
        }
        dispatchMessage<ParamDialog>(*this, messageMap(), type, 0, 0);
        return true;
    }
    if (type == QEvent::Timer && static_cast<QTimerEvent*>(event)->timerId() == timerId_) {
        dispatchMessage<ParamDialog>(*this, messageMap(), wm::kTimer, 0, kStatusTimerId);
        return true;
    }
    return TemplateDialog::event(event);
}

bool ParamDialog::UpdateData(bool saveAndValidate) {
    if (!saveAndValidate) {
        exchange_.toControls();
        return true;
    }
    transferring_ = true;
    lastTransferCount_ = exchange_.fromControls();
    transferring_ = false;
    if (rxDeferred_) {
        rxDeferred_ = false;
        // Queued, so the request that asked for this transfer is sent first.
        QMetaObject::invokeMethod(
            this, [this] { onSerialRx(); }, Qt::QueuedConnection);
    }
    return lastTransferCount_ == kIntegerTransferOrder.size();
}

void ParamDialog::OnTimer(int timerId) {
    if (timerId == kStatusTimerId && state_.statusCountdown > 0) {
        --state_.statusCountdown;
        if (state_.statusCountdown == 0) {
            statusLine->setText(QString());
        }
    }
}

void ParamDialog::showStatus(const StatusMessage& message) {
    state_.statusCountdown = message.countdown();
    const std::string_view text = message.text();
    statusLine->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void ParamDialog::onOpenClose() {
    QPushButton* openClose = button(kIdOpenClose);
    const int portNumber = comboSelection(*portCombo) + 1;
    const QString portText = portCombo->currentText();
    const int baudIndex = comboSelection(*baudCombo);

    if (state_.portOpen) {
        closePort();
        return;
    }
    if (portNumber < 1 || portNumber > kMaxPortNumber) {
        openFail(portText, tr("Choose a port from the list"));
        return;
    }
    const auto baudRate = chosenBaudRate(baudIndex, baudCombo->currentText().toStdString());
    if (!baudRate) {
        openFail(portText, tr("The baud rate must be a positive whole number"));
        return;
    }
    port.dcb.baudRate = *baudRate;
    port.dcb.byteSize = 8;
    port.dcb.parity = 0;
    port.dcb.stopBits = 0;
    port.portNumber = portNumber;
    if (!port.open()) {
        openFail(portText, QString::fromStdString(openFailureDetail(
                               port.lastOpenFailure(), portText.toStdString(), port.lastDevicePath())));
        return;
    }
    // Whatever an earlier line left half-received has nothing to do with this one.
    state_.receiver.reset();
    port.setNotifyWindow(&serialEvents_);
    state_.portOpen = true;
    openClose->setText(QStringLiteral("Close"));

    // The flag is cleared only when both gain blocks have come back, so a read that went
    // unanswered (wrong rate, adapter pulled) is tried again at the next open.
    if (state_.firstOpenRead) {
        std::this_thread::sleep_for(kFirstOpenReadPause);
        onRead();
        std::this_thread::sleep_for(kFirstOpenReadPause);
        onRead();
    }
}

void ParamDialog::onSerialHangUp() {
    // The adapter went away: let the operator open it again once it is back.
    if (state_.portOpen) {
        closePort();
    }
}

void ParamDialog::closePort() {
    frameGapTimer_.stop();
    port.close();
    serialEvents_.forgetEarlierEvents();
    state_.portOpen = false;
    button(kIdOpenClose)->setText(QStringLiteral("Open"));
}

void ParamDialog::openFail(const QString& portText, const QString& detail) {
    ModalHooks::showMessageBox({this, portText, QStringLiteral("open fail"), detail, QMessageBox::NoIcon});
}

void ParamDialog::onSerialRx() {
    auto handler = [this](std::span<const std::uint8_t> frameBytes) { decodeFrame(frameBytes); };
    drainPort(port, state_.receiver, handler);
    watchForStalledFrame();
}

// Costs nothing per byte: looked at once per drain, and only a pending frame arms the timer.
void ParamDialog::watchForStalledFrame() {
    if (state_.receiver.midFrame() && port.isOpen()) {
        frameGapTimer_.start(frameQuietGap(port.dcb.baudRate));
    } else {
        frameGapTimer_.stop();
    }
}

void ParamDialog::onFrameQuietGap() {
    if (transferring_) {
        rxDeferred_ = true; // decoding now would change the fields being taken
        return;
    }
    // Bytes still waiting in the driver did arrive in time; they only were not read yet.
    if (const auto queued = port.queuedInput(); queued && *queued > 0) {
        onSerialRx();
        return;
    }
    auto handler = [this](std::span<const std::uint8_t> frameBytes) { decodeFrame(frameBytes); };
    state_.receiver.abandonFrame(handler);
    watchForStalledFrame();
}

void ParamDialog::updatePortToolTip() {
    const std::string text = portCombo->currentText().toStdString();
    const int selected = comboSelection(*portCombo);
    // Open takes only a picked entry, so typed text resolves to nothing it could open.
    const std::string tip =
        selected >= 0 ? portToolTip(text, resolvePortName(selected + 1)) : typedPortToolTip(text);
    portCombo->setToolTip(QString::fromStdString(tip));
}

} // namespace tq37r
