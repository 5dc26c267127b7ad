// The request side of ParamDialog: one handler per button that talks to the controller.
#include "core/DialogClock.h"
#include "core/DialogTexts.h"
#include "core/DialogView.h"
#include "core/FieldBindings.h"
#include "core/ParamDialog.h"
#include "res/ControlIds.h"

namespace tq37r {

void ParamDialog::sendRequest(const Request& request) {
    if (!state_.portOpen) {
        showStatus(text::kPortNotOpen, kCountdownNotice);
        return;
    }
    if (!link_.send(request)) {
        // Gave up after the write timeout: no answer can come.
        showStatus(text::kNoReply, kCountdownNotice);
    }
    armLinkTimer();
}

void ParamDialog::sendGainRow(GainGroup group) {
    UpdateData(true);
    // A row whose own edits were not all taken would go out with stale values and be
    // acknowledged as a success; the integer prompt has already said what to fix.
    if (!allTransferred(lastTransferCount_, rowEdits(group))) {
        return;
    }
    const std::size_t first = firstGainOf(group);
    const std::array<std::uint8_t, 3> row{static_cast<std::uint8_t>(fields_.gains[first]),
                                          static_cast<std::uint8_t>(fields_.gains[first + 1]),
                                          static_cast<std::uint8_t>(fields_.gains[first + 2])};
    if (state_.portOpen) {
        sentRows_[static_cast<std::size_t>(group)] = row; // its acknowledgement says the controller has it
    }
    sendRequest(request::setGainRow(group, row[0], row[1], row[2]));
}

void ParamDialog::onSetTargetAltitude() {
    UpdateData(true);
    const int edit[] = {id::kTargetAltitude};
    if (allTransferred(lastTransferCount_, edit)) {
        sendRequest(request::setTargetAltitude(fields_.targetAltitude));
    }
}

void ParamDialog::onSetCirclingRadius() {
    UpdateData(true);
    const int edit[] = {id::kCirclingRadius};
    if (allTransferred(lastTransferCount_, edit)) {
        sendRequest(request::setCirclingRadius(fields_.circlingRadius));
    }
}

void ParamDialog::onReadFlightParams() {
    sendRequest(request::readFlightParams());
}
void ParamDialog::onReadMixingMode() {
    sendRequest(request::readMixingMode());
}
void ParamDialog::onSetMixingMode() {
    sendRequest(request::setMixingMode(view_.selection(id::kMixingModeList)));
}
void ParamDialog::onSaveConfiguration() {
    sendRequest(request::saveConfiguration());
}

void ParamDialog::onFlightModeRemote() {
    sendRequest(request::setFlightMode(FlightMode::Remote));
}
void ParamDialog::onFlightModeStabilised() {
    sendRequest(request::setFlightMode(FlightMode::Stabilised));
}
void ParamDialog::onFlightModeAuto() {
    sendRequest(request::setFlightMode(FlightMode::Auto));
}

void ParamDialog::onTaskReturn() {
    sendRequest(request::setTask(Task::Return));
}
void ParamDialog::onTaskCircle() {
    sendRequest(request::setTask(Task::Circle));
}
void ParamDialog::onTaskTakeOff() {
    sendRequest(request::setTask(Task::TakeOff));
}
void ParamDialog::onTaskCancel() {
    sendRequest(request::setTask(Task::Cancel));
}

void ParamDialog::onGyroSelfTest() {
    sendRequest(request::gyroSelfTest());
}
void ParamDialog::onAutoReturnOn() {
    sendRequest(request::autoReturnOn());
}
void ParamDialog::onGetFirmwareVersion() {
    sendRequest(request::firmwareVersion());
}

void ParamDialog::onRead() {
    // A read of its own, even when a save's check never got its answers: its replies are shown as replies.
    saveCheck_.stop();
    sendRequest(request::readGainBlock(GainBlock::First));
    if (!state_.portOpen) {
        clock_.pause(ControllerLink::kReadPairPause); // as long as an open port's read takes
    }
    sendRequest(request::readGainBlock(GainBlock::Second)); // the link keeps the pause between the two
}

void ParamDialog::onSetPitch() {
    sendGainRow(GainGroup::Pitch);
}
void ParamDialog::onSetRoll() {
    sendGainRow(GainGroup::Roll);
}
void ParamDialog::onSetHeading() {
    sendGainRow(GainGroup::Heading);
}
void ParamDialog::onSetOther() {
    sendGainRow(GainGroup::Other);
}
void ParamDialog::onSetX() {
    sendGainRow(GainGroup::X);
}
void ParamDialog::onSetY() {
    sendGainRow(GainGroup::Y);
}
void ParamDialog::onSetHeight() {
    sendGainRow(GainGroup::Height);
}

void ParamDialog::onRestoreDefaults() {
    fields_.restoreDefaultGains();
    UpdateData(false);
    for (std::size_t i = 0; i < kGainCount; ++i) {
        gains_.touched(i);
    }
    refreshTints();
}

} // namespace tq37r
