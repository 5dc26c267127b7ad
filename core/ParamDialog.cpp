#include "core/ParamDialog.h"

#include <chrono>
#include <string>

#include "core/BaudRate.h"
#include "core/DialogClock.h"
#include "core/DialogInteger.h"
#include "core/DialogTexts.h"
#include "core/DialogView.h"
#include "core/FieldBindings.h"
#include "core/GainTexts.h"
#include "core/OpenFailureText.h"
#include "res/ControlIds.h"
#include "res/ProjectInfo.h"

namespace tq37r {
namespace {

constexpr std::chrono::milliseconds kStatusTimerPeriod{100};
constexpr std::chrono::milliseconds kFirstOpenReadPause{300};
constexpr int kMaxPortNumber = 1024;

} // namespace

std::span<const MessageMapEntry<ParamDialog>> ParamDialog::messageMap() {
    using D = ParamDialog;
    static constexpr MessageMapEntry<D> kMap[] = {
        {id::kOpenClose, &D::onOpenClose},
        {id::kSetTargetAltitude, &D::onSetTargetAltitude},
        {id::kSetCirclingRadius, &D::onSetCirclingRadius},
        {id::kReadFlightParams, &D::onReadFlightParams},
        {id::kSetMixingMode, &D::onSetMixingMode},
        {id::kReadMixingMode, &D::onReadMixingMode},
        {id::kSaveConfiguration, &D::onSaveConfiguration},
        {id::kFlightModeRemote, &D::onFlightModeRemote},
        {id::kFlightModeStabilised, &D::onFlightModeStabilised},
        {id::kFlightModeAuto, &D::onFlightModeAuto},
        {id::kTaskReturn, &D::onTaskReturn},
        {id::kTaskCircle, &D::onTaskCircle},
        {id::kTaskTakeOff, &D::onTaskTakeOff},
        {id::kTaskCancel, &D::onTaskCancel},
        {id::kGyroSelfTest, &D::onGyroSelfTest},
        {id::kAutoReturnOn, &D::onAutoReturnOn},
        {id::kAutoReturnOff, &D::onGetFirmwareVersion},
        {id::kRead, &D::onRead},
        {id::kSetPitch, &D::onSetPitch},
        {id::kSetRoll, &D::onSetRoll},
        {id::kSetHeading, &D::onSetHeading},
        {id::kSetOther, &D::onSetOther},
        {id::kRestoreDefaults, &D::onRestoreDefaults},
        {id::kSetX, &D::onSetX},
        {id::kSetY, &D::onSetY},
        {id::kSetHeight, &D::onSetHeight},
        {id::kGetFirmwareVersion, &D::onGetFirmwareVersion},
    };
    return kMap;
}

ParamDialog::ParamDialog(DialogView& view, DialogClock& clock, SerialPort& port, SerialEventSink& sink,
                         ParamProcessState& state)
    : view_(view), clock_(clock), port_(port), sink_(sink), state_(state),
      link_(port, clock, *this, state.line), exchange_(view, fields_), indicators_(view, state),
      search_(link_, sink) {
    link_.setObserver(&lineLog_);
}

bool ParamDialog::saveLineLog(const std::string& path) {
    std::string why;
    if (writeLineLog(lineLog_, path, why)) {
        return true;
    }
    view_.messageBox({std::string(text::kParamDialogTitle), "The line log could not be saved.",
                      "Cannot write " + path + ": " + why + ".", MessageBoxRequest::Icon::Warning});
    return false;
}

bool ParamDialog::OnInitDialog() {
    UpdateData(false);
    refreshTints();
    clock_.setTimer(kStatusTimerId, kStatusTimerPeriod);
    view_.setSelection(id::kPortList, 0);
    view_.setSelection(id::kBaudList, 4);
    view_.setSelection(id::kMixingModeList, 0);
    indicators_.updateFlightModeCaptions();
    indicators_.updateTaskCaptions();
    onPortListChanged();
    return true;
}

void ParamDialog::OnCancel() {
    // Gains sent but not saved are gone at the next power cycle, and changed ones with the window.
    std::size_t changed = 0;
    std::size_t unsaved = 0;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        const GainTint tint = gains_.tint(i, shownGain(i));
        changed += tint == GainTint::Changed ? 1 : 0;
        unsaved += tint == GainTint::Unsaved ? 1 : 0;
    }
    if (changed + unsaved > 0 &&
        view_.messageBox({std::string(text::kParamDialogTitle), unsavedWorkQuestion(changed, unsaved),
                          std::string(text::kCloseAnyway), MessageBoxRequest::Icon::Question,
                          MessageBoxRequest::Buttons::OkCancel}) != MessageBoxAnswer::Ok) {
        return;
    }
    view_.endDialog();
}

void ParamDialog::onCommand(int controlId) {
    if (!dispatchCommand<ParamDialog>(*this, messageMap(), controlId) && controlId == id::kCancel) {
        OnCancel();
    }
}

void ParamDialog::onMenuCommand(MenuCommand command) {
    if (command == MenuCommand::About) {
        view_.messageBox({"About " + std::string(text::kProgramTitle),
                          std::string(text::kProgramTitle) + " " + std::string(project::kVersion),
                          std::string(project::kCopyright) + "\n" + std::string(project::kLicence)});
        return;
    }
    if (command == MenuCommand::FindController) {
        findController();
        return;
    }
    if (command == MenuCommand::LineLog) {
        view_.showLineLog();
        return;
    }
    const std::string path = view_.askFilePath(kGainFiles, command == MenuCommand::SaveGains);
    if (path.empty()) {
        return; // the operator cancelled
    }
    switch (command) {
    case MenuCommand::SaveGains:
        saveGainFile(path);
        break;
    case MenuCommand::LoadGains:
        loadGainFile(path);
        break;
    case MenuCommand::CompareWithFile:
        compareWithGainFile(path);
        break;
    case MenuCommand::FindController:
    case MenuCommand::LineLog:
    case MenuCommand::About:
        break; // answered above, without a file
    }
}

void ParamDialog::onFilesDropped(std::span<const std::string> paths) {
    if (isGainFileDrop(paths)) {
        loadGainFile(paths.front());
    }
}

bool ParamDialog::UpdateData(bool saveAndValidate) {
    if (!saveAndValidate) {
        exchange_.toControls();
        return true;
    }
    transferring_ = true;
    lastTransferCount_ = exchange_.fromControls();
    transferring_ = false;
    if (lineDeferred_) {
        lineDeferred_ = false;
        // Posted, so the request that asked for this transfer goes out first.
        sink_.postSerialEvent(SerialEvent::RxReady, link_.tag());
    }
    return lastTransferCount_ == kTransferOrder.size();
}

void ParamDialog::OnTimer(int timerId) {
    if (timerId == kLinkTimerId) {
        if (transferring_) {
            lineDeferred_ = true; // a reply now would change the fields being taken
            return;
        }
        link_.poll();
        advanceSearch();
        armLinkTimer();
        return;
    }
    if (timerId != kStatusTimerId) {
        return;
    }
    if (state_.statusCountdown > 0) {
        --state_.statusCountdown;
        if (state_.statusCountdown == 0) {
            view_.setText(id::kStatusLine, "");
        }
    }
}

void ParamDialog::armLinkTimer() {
    const std::optional<ControllerLink::TimePoint> deadline = link_.nextDeadline();
    if (!deadline) {
        clock_.killTimer(kLinkTimerId);
        return;
    }
    // At least a millisecond: a deadline already past is met at the next turn of the loop.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*deadline - clock_.now());
    clock_.setTimer(kLinkTimerId, std::max(wait, std::chrono::milliseconds(1)));
}

void ParamDialog::showStatus(const StatusMessage& message) {
    showStatus(message.text(), message.countdown());
}

void ParamDialog::showStatus(std::string_view text, int countdown) {
    state_.statusCountdown = countdown;
    view_.setText(id::kStatusLine, text);
}

std::optional<std::int32_t> ParamDialog::shownGain(std::size_t gain) const {
    return parseDialogInteger(view_.text(kGainEdits[gain]));
}

void ParamDialog::onEditChanged(int editId) {
    if (const std::optional<std::size_t> gain = gainOfEdit(editId)) {
        gains_.touched(*gain);
        refreshTint(*gain);
    }
}

void ParamDialog::refreshTints() {
    for (std::size_t i = 0; i < kGainCount; ++i) {
        refreshTint(i);
    }
}

void ParamDialog::refreshTint(std::size_t gain) {
    // Only what changed goes to the view: a reply touches every gain, and restyling an edit is
    // far dearer than comparing.
    const GainTint tint = gains_.tint(gain, shownGain(gain));
    std::string tip = gainToolTip(tint, gains_.controllerValue(gain), gains_.expectedValue(gain));
    Shown& shown = shownTints_[gain];
    if (!shown.tint || *shown.tint != tint) {
        view_.setTint(kGainEdits[gain], tint);
        shown.tint = tint;
    }
    if (shown.toolTip != tip) {
        view_.setToolTip(kGainEdits[gain], tip);
        shown.toolTip = std::move(tip);
    }
}

void ParamDialog::onOpenClose() {
    const int portNumber = view_.selection(id::kPortList) + 1;
    const std::string portText = view_.text(id::kPortList);
    const int baudIndex = view_.selection(id::kBaudList);

    if (state_.portOpen) {
        closePort();
        return;
    }
    if (portNumber < 1 || portNumber > kMaxPortNumber) {
        openFail(portText, std::string(text::kChooseAPort));
        return;
    }
    const auto baudRate = chosenBaudRate(baudIndex, view_.text(id::kBaudList));
    if (!baudRate) {
        openFail(portText, std::string(text::kBadBaudRate));
        return;
    }
    const std::string portName = "COM" + std::to_string(portNumber);
    const OpenResult opened = link_.open(portName, PortSettings{*baudRate}, sink_);
    if (!opened) {
        openFail(portText, openFailureDetail(opened.failure, portText, opened.devicePath));
        return;
    }
    state_.portOpen = true;
    view_.setText(id::kOpenClose, text::kCloseCaption);

    // The flag is cleared only when both gain blocks have come back, so a read that went
    // unanswered (wrong rate, adapter pulled) is tried again at the next open.
    if (state_.firstOpenRead) {
        clock_.pause(kFirstOpenReadPause);
        onRead();
        clock_.pause(kFirstOpenReadPause);
        onRead();
    }
}

void ParamDialog::onSerialHangUp(std::uint32_t tag) {
    // The adapter went away: let the operator open it again once it is back. A hang-up of an
    // earlier open concerns a port that is closed by now.
    if (!link_.isCurrent(tag)) {
        return;
    }
    if (search_.running()) {
        search_.onHangUp();
        advanceSearch();
        armLinkTimer();
    } else if (state_.portOpen) {
        closePort(true);
    }
}

void ParamDialog::closePort(bool hungUp) {
    saveCheck_.stop();
    sentRows_ = {}; // an acknowledgement after the next open is not for these
    if (hungUp) {
        link_.hungUp();
    } else {
        link_.close();
    }
    armLinkTimer();
    state_.portOpen = false;
    view_.setText(id::kOpenClose, text::kOpenCaption);
}

void ParamDialog::openFail(const std::string& portText, const std::string& detail) {
    view_.messageBox({portText, std::string(text::kOpenFail), detail, MessageBoxRequest::Icon::None});
}

void ParamDialog::onSerialRx(std::uint32_t tag) {
    // Notifications from the watcher of an earlier open concern a port that is closed by now.
    if (!link_.isCurrent(tag) || !(state_.portOpen || search_.running())) {
        return;
    }
    if (transferring_) {
        // The integer prompt is up: a read-back now would overwrite the fields being taken
        // and the entry being corrected. The bytes wait in the port until the request is out.
        lineDeferred_ = true;
        return;
    }
    link_.onRxReady();
    advanceSearch();
    armLinkTimer();
}

void ParamDialog::onPortListChanged() {
    const std::string typed = view_.text(id::kPortList);
    const int selected = view_.selection(id::kPortList);
    // Open takes only a picked entry, so typed text resolves to nothing it could open.
    view_.setToolTip(id::kPortList,
                     selected >= 0 ? portToolTip(typed, port_.resolve("COM" + std::to_string(selected + 1)))
                                   : typedPortToolTip(typed));
}

} // namespace tq37r
