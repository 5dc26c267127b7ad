// The request side of ParamDialog: one handler per button that talks to the controller.
#include "core/ParamDialog.h"

#include "core/DialogClock.h"
#include "core/DialogView.h"
#include "core/GainGrid.h"
#include "device/Codes.h"
#include "protocol/FrameIo.h"
#include "res/ControlIds.h"

namespace tq37r {
void ParamDialog::sendRequest(std::size_t byteCount, std::optional<std::uint8_t> expectedAnswer) {
    if (!state_.portOpen) {
        showStatus(text::kPortNotOpen, kCountdownNotice);
        return;
    }
    // A frame that could not be written gets no answer, which the reply watch then reports.
    [[maybe_unused]] const bool sent = sendFrame(port_, state_.tx, byteCount);
    if (expectedAnswer) {
        replyWatch_.expect(*expectedAnswer, clock_.now());
    }
}

void ParamDialog::sendGainGroup(GainGroup group, ParamField first, ParamField second, ParamField third) {
    UpdateData(true);
    // A row whose own edits were not all taken would go out with stale values and be
    // acknowledged as a success; the integer prompt has already said what to fix.
    if (!allTransferred(lastTransferCount_, {first, second, third})) {
        return;
    }
    const std::array<std::uint8_t, 3> row{static_cast<std::uint8_t>(fields_.*first),
                                          static_cast<std::uint8_t>(fields_.*second),
                                          static_cast<std::uint8_t>(fields_.*third)};
    if (state_.portOpen) {
        sentRows_[static_cast<std::size_t>(group)] = row; // its acknowledgement says the controller has it
    }
    sendRequest(request::setGainGroup(state_.tx, group, row[0], row[1], row[2]), gainGroupCode(group));
}

void ParamDialog::onSetTargetAltitude() {
    UpdateData(true);
    if (allTransferred(lastTransferCount_, {&ParamFields::targetAltitude})) {
        sendRequest(request::setTargetAltitude(state_.tx, fields_.targetAltitude));
    }
}

void ParamDialog::onSetCirclingRadius() {
    UpdateData(true);
    if (allTransferred(lastTransferCount_, {&ParamFields::circlingRadius})) {
        sendRequest(request::setCirclingRadius(state_.tx, fields_.circlingRadius));
    }
}

void ParamDialog::onReadFlightParams() {
    sendRequest(request::readFlightParams(state_.tx), code::kFlightParams);
}
void ParamDialog::onReadMixingMode() {
    sendRequest(request::readMixingMode(state_.tx), code::kMixingMode);
}
void ParamDialog::onSetMixingMode() {
    sendRequest(request::setMixingMode(state_.tx, view_.selection(id::kMixingModeList)));
}
void ParamDialog::onSaveConfiguration() {
    sendRequest(request::saveConfiguration(state_.tx), code::kSaveConfiguration);
}

void ParamDialog::onFlightModeRemote() {
    sendRequest(request::setFlightMode(state_.tx, FlightMode::Remote));
}
void ParamDialog::onFlightModeStabilised() {
    sendRequest(request::setFlightMode(state_.tx, FlightMode::Stabilised));
}
void ParamDialog::onFlightModeAuto() {
    sendRequest(request::setFlightMode(state_.tx, FlightMode::Auto));
}

void ParamDialog::onTaskReturn() {
    sendRequest(request::setTask(state_.tx, Task::Return));
}
void ParamDialog::onTaskCircle() {
    sendRequest(request::setTask(state_.tx, Task::Circle));
}
void ParamDialog::onTaskTakeOff() {
    sendRequest(request::setTask(state_.tx, Task::TakeOff));
}
void ParamDialog::onTaskCancel() {
    sendRequest(request::setTask(state_.tx, Task::Cancel));
}

void ParamDialog::onGyroSelfTest() {
    sendRequest(request::gyroSelfTest(state_.tx), code::kGyroResult);
}
void ParamDialog::onAutoReturnOn() {
    sendRequest(request::autoReturnOn(state_.tx));
}
void ParamDialog::onGetFirmwareVersion() {
    sendRequest(request::firmwareVersion(state_.tx), code::kFirmwareVersion);
}

void ParamDialog::onRead() {
    // A read of its own, even when a save's check never got its answers: its replies are shown as replies.
    verifyingSave_ = false;
    sendRequest(request::readGainBlock1(state_.tx), code::kGainBlock1);
    clock_.pause(request::kReadPairGap);
    sendRequest(request::readGainBlock2(state_.tx), code::kGainBlock2);
}

void ParamDialog::onSetPitch() {
    sendGainGroup(GainGroup::Pitch, &ParamFields::pitchLevelCoef, &ParamFields::pitchStabilityContinue,
                  &ParamFields::pitchStabilityCoef);
}
void ParamDialog::onSetRoll() {
    sendGainGroup(GainGroup::Roll, &ParamFields::rollLevelCoef, &ParamFields::rollStabilityContinue,
                  &ParamFields::rollStabilityCoef);
}
void ParamDialog::onSetHeading() {
    sendGainGroup(GainGroup::Heading, &ParamFields::headingLockingCoef, &ParamFields::headingLockingContinue,
                  &ParamFields::headingStabilityCoef);
}
void ParamDialog::onSetOther() {
    sendGainGroup(GainGroup::Other, &ParamFields::altitudeCompensation, &ParamFields::speedControl,
                  &ParamFields::otherThird);
}
void ParamDialog::onSetX() {
    sendGainGroup(GainGroup::X, &ParamFields::xP, &ParamFields::xI, &ParamFields::xD);
}
void ParamDialog::onSetY() {
    sendGainGroup(GainGroup::Y, &ParamFields::yP, &ParamFields::yI, &ParamFields::yD);
}
void ParamDialog::onSetHeight() {
    sendGainGroup(GainGroup::Height, &ParamFields::heightP, &ParamFields::heightI, &ParamFields::heightD);
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
