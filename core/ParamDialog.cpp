#include "core/ParamDialog.h"

#include <algorithm>
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
#include "core/Utf8Path.h"
#include "res/ControlIds.h"
#include "res/ProjectInfo.h"
#include "serial/PortName.h"

namespace tq37r {
namespace {

constexpr std::chrono::milliseconds kStatusTimerPeriod{100};

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
                         ControllerSearch::PortMaker makePort, const std::filesystem::path& dataFolder)
    : journal_(dataFolder, std::string(text::kProgramTitle)), view_(view), clock_(clock), port_(port),
      session_(port, clock, sink, *this, SessionOptions{.readOnFirstOpen = true}, std::move(makePort)),
      exchange_(view, fields_), indicators_(view, state_), settings_(dataFolder),
      history_(*this, view, journal_) {
    session_.setObserver(&lineLog_);
    session_.setJournal(&journal_);
    journal_.onFailure([this](const std::string& why) {
        showStatus(std::string(text::kHistoryNotWritten) + why + ".", kCountdownNotice);
    });
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
    showGrid();
    clock_.setTimer(kStatusTimerId, kStatusTimerPeriod);
    view_.setSelection(id::kPortList, 0);
    view_.setSelection(id::kBaudList, static_cast<int>(kDefaultBaudIndex));
    view_.setSelection(id::kMixingModeList, 0);
    indicators_.updateFlightModeCaptions();
    indicators_.updateTaskCaptions();
    restoreLine();
    onPortListChanged();
    return true;
}

void ParamDialog::OnCancel() {
    // Gains sent but not saved are gone at the next power cycle, and changed ones with the window.
    std::size_t changed = 0;
    std::size_t unsaved = 0;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        const GainTint tint = tintOf(i);
        changed += tint == GainTint::Changed ? 1 : 0;
        unsaved += tint == GainTint::Unsaved ? 1 : 0;
    }
    if (changed + unsaved == 0) {
        view_.endDialog();
        return;
    }
    view_.messageBox({std::string(text::kParamDialogTitle), unsavedWorkQuestion(changed, unsaved),
                      std::string(text::kCloseAnyway), MessageBoxRequest::Icon::Question,
                      MessageBoxRequest::Buttons::OkCancel},
                     [this](MessageBoxAnswer answer) {
                         if (answer == MessageBoxAnswer::Ok) {
                             view_.endDialog();
                         }
                     });
}

void ParamDialog::onCommand(int controlId) {
    if (!dispatchCommand<ParamDialog>(*this, messageMap(), controlId) && controlId == id::kCancel) {
        OnCancel();
    }
    armLinkTimer();
}

void ParamDialog::onMenuCommand(MenuCommand command) {
    switch (command) {
    case MenuCommand::About:
        view_.messageBox({"About " + std::string(text::kProgramTitle),
                          std::string(text::kProgramTitle) + " " + std::string(project::kVersion),
                          std::string(project::kCopyright) + "\n" + std::string(project::kLicence)});
        return;
    case MenuCommand::FindController:
        findController();
        return;
    case MenuCommand::LineLog:
        view_.showLineLog();
        return;
    case MenuCommand::History:
        history_.reload();
        view_.showHistory();
        return;
    case MenuCommand::FlightSettings:
        view_.showFlightSettings();
        return;
    case MenuCommand::Help:
        view_.messageBox({std::string(text::kProgramTitle) + " help", std::string(text::kHelp),
                          std::string(text::kHelpMore)});
        return;
    case MenuCommand::Exit:
        OnCancel(); // as the close box: unsaved work is asked about first
        return;
    case MenuCommand::Undo:
    case MenuCommand::Redo:
        if (const std::optional<GridState> state =
                command == MenuCommand::Undo ? undo_.undo(gridState()) : undo_.redo(gridState())) {
            showGridState(*state);
        }
        return;
    case MenuCommand::SaveGains:
    case MenuCommand::LoadGains:
    case MenuCommand::CompareWithFile:
        break;
    }
    askGainFile(command == MenuCommand::SaveGains, [this, command](const std::string& path) {
        if (command == MenuCommand::SaveGains) {
            saveGainFile(path);
        } else if (command == MenuCommand::LoadGains) {
            loadGainFile(path);
        } else {
            compareWithGainFile(path);
        }
    });
}

void ParamDialog::onFilesDropped(std::span<const std::string> paths) {
    if (isGainFileDrop(paths)) {
        loadGainFile(paths.front());
    }
}

void ParamDialog::OnTimer(int timerId) {
    if (timerId == kLinkTimerId) {
        session_.poll();
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
    const std::optional<ControllerSession::TimePoint> deadline = session_.nextDeadline();
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

void ParamDialog::onOpenClose() {
    if (session_.isOpen()) {
        closePort();
        return;
    }
    const int selected = view_.selection(id::kPortList);
    const std::string portText = view_.text(id::kPortList);
    const std::optional<ComPort> port = ComPort::ofListIndex(selected);
    if (!port) {
        openFail(portText, std::string(text::kChooseAPort));
        return;
    }
    const auto baudRate = chosenBaudRate(view_.selection(id::kBaudList), view_.text(id::kBaudList));
    if (!baudRate) {
        openFail(portText, std::string(text::kBadBaudRate));
        return;
    }
    // The first open of a run also reads the gains, after its pauses, from the session's timer.
    const OpenResult opened = session_.open(port->name(), *baudRate);
    if (!opened) {
        openFail(portText, openFailureDetail(opened.failure, portText, opened.devicePath));
        return;
    }
    view_.setText(id::kOpenClose, text::kCloseCaption);
    settings_.set("port", port->name());
    settings_.set("baud", std::to_string(*baudRate));
}

void ParamDialog::restoreLine() {
    if (const auto name = settings_.get("port")) {
        if (const std::optional<ComPort> port = ComPort::parse(*name);
            port && ComPort::ofListIndex(port->listIndex())) {
            view_.setSelection(id::kPortList, port->listIndex());
        }
    }
    if (const auto baud = settings_.get("baud")) {
        const auto rate = std::find_if(kBaudTable.begin(), kBaudTable.end(),
                                       [&](std::uint32_t r) { return std::to_string(r) == *baud; });
        if (rate != kBaudTable.end()) {
            view_.setSelection(id::kBaudList, static_cast<int>(rate - kBaudTable.begin()));
        } else if (const auto typed = chosenBaudRate(-1, *baud)) {
            view_.setText(id::kBaudList, std::to_string(*typed)); // a rate the list does not offer
        }
    }
}

void ParamDialog::askGainFile(bool forSaving, std::function<void(const std::string&)> chosen) {
    view_.askFilePath(kGainFiles, forSaving, settings_.get("gain-folder").value_or(""),
                      [this, chosen = std::move(chosen)](const std::string& path) {
                          if (path.empty()) {
                              return; // the operator cancelled
                          }
                          settings_.set("gain-folder", utf8Of(pathFromUtf8(path).parent_path()));
                          chosen(path);
                      });
}

void ParamDialog::onSerialHangUp(std::uint32_t tag) {
    // The adapter went away: let the operator open it again once it is back.
    session_.onHangUp(tag);
    armLinkTimer();
}

void ParamDialog::onHungUp() {
    view_.setText(id::kOpenClose, text::kOpenCaption);
}

void ParamDialog::closePort() {
    session_.close();
    view_.setText(id::kOpenClose, text::kOpenCaption);
}

void ParamDialog::openFail(const std::string& portText, const std::string& detail) {
    view_.messageBox({portText, std::string(text::kOpenFail), detail, MessageBoxRequest::Icon::None});
}

void ParamDialog::onSerialRx(std::uint32_t tag) {
    session_.onRxReady(tag);
    armLinkTimer();
}

void ParamDialog::onPortListChanged() {
    const std::string typed = view_.text(id::kPortList);
    // Open takes only a picked entry, so typed text resolves to nothing it could open.
    const std::optional<ComPort> port = ComPort::ofListIndex(view_.selection(id::kPortList));
    view_.setToolTip(id::kPortList,
                     port ? portToolTip(typed, port_.resolve(port->name())) : typedPortToolTip(typed));
}

} // namespace tq37r
