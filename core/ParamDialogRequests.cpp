// The request side of ParamDialog: one handler per button that talks to the controller.
#include <utility>

#include "core/DialogTexts.h"
#include "core/DialogView.h"
#include "core/FieldBindings.h"
#include "core/ParamDialog.h"
#include "res/ControlIds.h"

namespace tq37r {

void ParamDialog::sendRequest(const Request& request) {
    if (!session_.send(request)) {
        showStatus(text::kPortNotOpen, kCountdownNotice);
    }
}

DataExchange::Taken ParamDialog::takeEdits() {
    return exchange_.fromControls();
}

void ParamDialog::prompt(const DataExchange::Taken& taken) {
    if (!taken.refused) {
        return;
    }
    // A read-back meanwhile must not overwrite the entry the operator is asked to correct.
    promptUp_ = true;
    view_.messageBox({std::string(text::kProgramTitle), taken.prompt, {}, MessageBoxRequest::Icon::Warning},
                     [this, edit = *taken.refused](MessageBoxAnswer) {
                         promptUp_ = false;
                         view_.focus(edit);
                         if (std::exchange(gridStale_, false)) {
                             showGrid();
                         }
                     });
}

void ParamDialog::sendGainRow(GainGroup group) {
    const DataExchange::Taken taken = takeEdits();
    // A row whose own edits were not all taken would go out with stale values and be
    // acknowledged as a success; the prompt says what to fix.
    if (allTransferred(taken.count, rowEdits(group))) {
        const std::size_t first = firstGainOf(group);
        sendRequest(request::setGainRow(group, fields_.gains[first], fields_.gains[first + 1],
                                        fields_.gains[first + 2]));
    }
    prompt(taken);
}

void ParamDialog::sendFlightSetting(int editId) {
    const DataExchange::Taken taken = takeEdits();
    const int edit[] = {editId};
    if (allTransferred(taken.count, edit)) {
        sendRequest(editId == id::kTargetAltitude ? request::setTargetAltitude(fields_.targetAltitude)
                                                  : request::setCirclingRadius(fields_.circlingRadius));
    }
    prompt(taken);
}

void ParamDialog::onSetTargetAltitude() {
    sendFlightSetting(id::kTargetAltitude);
}
void ParamDialog::onSetCirclingRadius() {
    sendFlightSetting(id::kCirclingRadius);
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
    // The session keeps the controller's pause between the two, and nothing else between them.
    if (!session_.readGains()) {
        showStatus(text::kPortNotOpen, kCountdownNotice);
    }
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
    beforeGridChange();
    fields_.restoreDefaultGains();
    touched_.fill(true);
    showGrid();
    recordGains(JournalEntry::Kind::Defaults, {});
}

} // namespace tq37r
