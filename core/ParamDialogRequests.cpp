// The request side of ParamDialog: one handler per button that talks to the controller.
#include "core/ParamDialog.h"

#include <chrono>

#include "core/DialogClock.h"
#include "core/DialogView.h"
#include "protocol/FrameIo.h"
#include "res/ControlIds.h"

namespace tq37r {
namespace {

// The controller needs this gap between the two halves of a read.
constexpr std::chrono::milliseconds kReadPairPause{100};

} // namespace

void ParamDialog::sendRequest(std::size_t byteCount) {
    // Requests are fire-and-forget: the window says nothing when one cannot be written.
    [[maybe_unused]] const bool sent = sendFrame(port_, state_.tx, byteCount);
}

void ParamDialog::sendGainGroup(GainGroup group, ParamField first, ParamField second, ParamField third) {
    UpdateData(true);
    // A row whose own edits were not all taken would go out with stale values and be
    // acknowledged as a success; the integer prompt has already said what to fix.
    if (!allTransferred(lastTransferCount_, {first, second, third})) {
        return;
    }
    sendRequest(request::setGainGroup(state_.tx, group, fields_.*first, fields_.*second, fields_.*third));
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
    sendRequest(request::readFlightParams(state_.tx));
}
void ParamDialog::onReadMixingMode() {
    sendRequest(request::readMixingMode(state_.tx));
}
void ParamDialog::onSetMixingMode() {
    sendRequest(request::setMixingMode(state_.tx, view_.selection(id::kMixingModeList)));
}
void ParamDialog::onSaveConfiguration() {
    sendRequest(request::saveConfiguration(state_.tx));
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
    sendRequest(request::gyroSelfTest(state_.tx));
}
void ParamDialog::onAutoReturnOn() {
    sendRequest(request::autoReturnOn(state_.tx));
}
void ParamDialog::onGetFirmwareVersion() {
    sendRequest(request::firmwareVersion(state_.tx));
}

void ParamDialog::onRead() {
    sendRequest(request::readGainBlock1(state_.tx));
    clock_.pause(kReadPairPause);
    sendRequest(request::readGainBlock2(state_.tx));
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
}

} // namespace tq37r
