// The commands for what the window keeps on hidden controls: the flight settings, the mixing
// mode, the gyro self-test, automatic return, and the flight-mode and task commands.
#include <set>
#include <variant>

#include "cli/CommandError.h"
#include "cli/Commands.h"
#include "core/OpenFailureText.h"
#include "device/HexText.h"
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace tq37r::cli::command {

namespace {

constexpr const char* settingName(FlightSetting which) {
    return which == FlightSetting::Altitude ? "altitude" : "radius";
}

// The mixing-mode list's entries as the window shows them.
std::span<const std::string_view> mixingModeTexts() {
    return paramDialogComboItems(id::kMixingModeList);
}

const std::string& portOf(const ControllerSearch::Settled& settled) {
    return std::visit([](const auto& outcome) -> const std::string& { return outcome.port; }, settled);
}

std::string settledText(const ControllerSearch::Settled& settled) {
    if (const auto* found = std::get_if<ControllerSearch::Found>(&settled)) {
        return found->port + ": the controller answers at " + std::to_string(found->baudRate);
    }
    const auto& silent = std::get<ControllerSearch::Silent>(settled);
    if (silent.failure != OpenFailure::None) {
        return silent.port + ": " + openFailureDetail(silent.failure, silent.port, {});
    }
    if (silent.heardAt.empty()) {
        return silent.port + ": no answer";
    }
    std::string rates;
    for (const std::uint32_t rate : silent.heardAt) {
        rates += (rates.empty() ? "" : ", ") + std::to_string(rate);
    }
    return silent.port + ": no answer; something answers at another rate (bytes at " + rates + ")";
}

} // namespace

int flightSetting(Controller& controller, FlightSetting which, std::optional<std::uint16_t> value,
                  Output& out) {
    if (value) {
        controller.ask(which == FlightSetting::Altitude ? request::setTargetAltitude(*value)
                                                        : request::setCirclingRadius(*value));
        out.field(settingName(which), *value);
        return kExitDone;
    }
    const auto settings = std::get<reply::FlightParams>(controller.ask(request::readFlightParams()));
    out.field(settingName(which),
              which == FlightSetting::Altitude ? settings.targetAltitude : settings.circlingRadius);
    return kExitDone;
}

int flightSettings(Controller& controller, Output& out) {
    const auto settings = std::get<reply::FlightParams>(controller.ask(request::readFlightParams()));
    out.field("altitude", settings.targetAltitude);
    out.field("radius", settings.circlingRadius);
    return kExitDone;
}

int mixing(Controller& controller, std::optional<int> item, Output& out) {
    const std::span<const std::string_view> texts = mixingModeTexts();
    if (item) {
        controller.ask(request::setMixingMode(*item - 1));
    } else {
        const auto mode = std::get<reply::MixingMode>(controller.ask(request::readMixingMode()));
        if (mode.item < 0) {
            throw CommandError(kExitDifferent, "the controller reports mixing mode 0x" +
                                                   hexByte(mode.modeByte) + ", which no entry names");
        }
        item = mode.item + 1;
    }
    out.field("item", *item);
    out.field("text", texts[static_cast<std::size_t>(*item - 1)]);
    return kExitDone;
}

int gyroTest(Controller& controller, Output& out) {
    const auto result = std::get<reply::GyroResult>(controller.ask(request::gyroSelfTest()));
    if (!result.passed) {
        throw CommandError(kExitDifferent, "the controller reports that the gyro self-test failed");
    }
    out.gyro(result.x, result.y, result.z);
    return kExitDone;
}

int autoReturn(Controller& controller, bool on, Output& out) {
    controller.ask(on ? request::autoReturnOn() : request::autoReturnOff());
    out.field("auto-return", on ? "on" : "off");
    return kExitDone;
}

int flightMode(Controller& controller, FlightMode mode, Output& out) {
    const auto report = std::get<reply::StateReport>(controller.ask(request::setFlightMode(mode)));
    out.report(report.flightModeState, report.taskState);
    return kExitDone;
}

int task(Controller& controller, Task task, Output& out) {
    const auto report = std::get<reply::StateReport>(controller.ask(request::setTask(task)));
    out.report(report.flightModeState, report.taskState);
    return kExitDone;
}

int detect(Controller& controller, std::vector<std::string> ports, std::vector<std::uint32_t> rates,
           Output& out) {
    const std::string tried = [&ports] {
        std::string names;
        for (const std::string& port : ports) {
            names += (names.empty() ? "" : ", ") + port;
        }
        return names.empty() ? std::string("no port") : names;
    }();
    const std::size_t rateCount = rates.size();
    std::set<std::string> told;
    const ControllerSearch& search = controller.findController(
        ports, std::move(rates), [&](const ControllerSearch& moved, std::chrono::milliseconds elapsed) {
            // Each port as its search ends, whichever ends first.
            for (const ControllerSearch::Settled& settled : moved.settled()) {
                if (told.insert(portOf(settled)).second) {
                    out.progress(settledText(settled));
                }
            }
            // Quiet while it is quick; someone waiting longer is told what is being tried.
            if (elapsed > std::chrono::seconds(1) && !moved.underWay().empty()) {
                out.progress("trying " + moved.underWay());
            }
        });
    const std::vector<ControllerSearch::Found> found = search.found();
    out.controllersFound(found, search.silent());
    // What was found still counts; what was never tried is not "no answer".
    if (controller.interrupted()) {
        throw CommandError(kExitInterrupted, "interrupted");
    }
    if (found.empty()) {
        throw CommandError(kExitNoAnswer, "no controller answered on " + tried + " at " +
                                              std::to_string(rateCount) +
                                              (rateCount == 1 ? " rate" : " rates"));
    }
    return kExitDone;
}

} // namespace tq37r::cli::command
