// The Flight settings window's side of ParamDialog: the requests the dialog keeps on hidden
// controls, asked from a window of their own, and what their replies show there.
#include "core/DialogInteger.h"
#include "core/DialogTexts.h"
#include "core/DialogView.h"
#include "core/ParamDialog.h"

namespace tq37r {

void ParamDialog::readFlightSettings() {
    sendRequest(request::readFlightParams());
}

void ParamDialog::setFlightSetting(bool altitude, std::string_view text) {
    const std::optional<std::int32_t> value = parseDialogInteger(text);
    if (!value || *value < 0 || *value > 65535) {
        // The words of the hidden edits' own prompt: the same value is refused the same way.
        view_.messageBox({std::string(text::kProgramTitle),
                          value ? std::string(text::kEnterAnIntegerBetween) + "0 and 65535."
                                : std::string(text::kEnterAnInteger),
                          {},
                          MessageBoxRequest::Icon::Warning});
        return;
    }
    sendRequest(altitude ? request::setTargetAltitude(*value) : request::setCirclingRadius(*value));
}

void ParamDialog::readMixingMode() {
    sendRequest(request::readMixingMode());
}

void ParamDialog::setMixingMode(int item) {
    sendRequest(request::setMixingMode(item));
}

void ParamDialog::runGyroTest() {
    sendRequest(request::gyroSelfTest());
}

void ParamDialog::setAutoReturn(bool on) {
    sendRequest(on ? request::autoReturnOn() : request::autoReturnOff());
}

void ParamDialog::commandFlightMode(FlightMode mode) {
    view_.messageBox({std::string(text::kFlightSettingsTitle), flightModeQuestion(mode),
                      "The controller takes it at once.", MessageBoxRequest::Icon::Question,
                      MessageBoxRequest::Buttons::OkCancel},
                     [this, mode](MessageBoxAnswer answer) {
                         if (answer == MessageBoxAnswer::Ok) {
                             sendRequest(request::setFlightMode(mode));
                             armLinkTimer();
                         }
                     });
}

void ParamDialog::commandTask(Task task) {
    view_.messageBox({std::string(text::kFlightSettingsTitle), taskQuestion(task),
                      "The controller takes it at once.", MessageBoxRequest::Icon::Question,
                      MessageBoxRequest::Buttons::OkCancel},
                     [this, task](MessageBoxAnswer answer) {
                         if (answer == MessageBoxAnswer::Ok) {
                             sendRequest(request::setTask(task));
                             armLinkTimer();
                         }
                     });
}

} // namespace tq37r
