// The commands on the hidden controls: the flight settings, mixing, the gyro test, automatic
// return, and the two that command the aircraft itself, mode and task.
#include <memory>

#include "cli/CheckedOptions.h"
#include "cli/CommandError.h"
#include "cli/Commands.h"
#include "cli/Subcommands.h"

namespace tq37r::cli {

namespace {

struct ValueOptions {
    std::optional<std::uint32_t> value;
};

struct WordOptions {
    std::string word;
    bool yes = false; // mode and task: the operator means it
};

void addFlightSetting(CLI::App& app, Command& chosen, const std::string& name, const std::string& what,
                      command::FlightSetting which) {
    auto options = std::make_shared<ValueOptions>();
    CLI::App* setting = app.add_subcommand(name, "Print the " + what + ", or set it to N");
    addValue(*setting, "N", options->value, 0, 65535, "the new " + what);
    setting->footer("Prints \"" + name +
                    " N\". Without N it reads both flight settings (BA); with N it\n"
                    "sends the new value and waits for the acknowledgement.");
    onChosen(*setting, chosen, [options, which](Output& out) -> Action {
        std::optional<std::uint16_t> value;
        if (options->value) {
            value = static_cast<std::uint16_t>(*options->value);
        }
        return [&out, which, value](Line& line) {
            return command::flightSetting(line.controller, which, value, out);
        };
    });
}

// Commanding the aircraft is refused (before anything is sent) unless the operator says --yes.
CLI::App* addAircraftCommand(CLI::App& app, const std::string& name, const std::string& description,
                             WordOptions& options, const std::vector<std::string>& words,
                             const std::string& help) {
    CLI::App* command = app.add_subcommand(name, description);
    addWord(*command, options.word, words, help);
    command->add_flag("--yes", options.yes, "send it: this commands the aircraft itself");
    command->footer("Refused without --yes (nothing is sent). Prints the state report that follows,\n"
                    "\"flight-mode M task T\"; exit status 3 when none comes.");
    return command;
}

void requireYes(const WordOptions& options, const std::string& name) {
    if (!options.yes) {
        throw CommandError(kExitUsage, name + " commands the aircraft itself: give --yes to send it");
    }
}

} // namespace

void setupAltitude(CLI::App& app, Command& chosen) {
    addFlightSetting(app, chosen, "altitude", "target altitude", command::FlightSetting::Altitude);
}

void setupRadius(CLI::App& app, Command& chosen) {
    addFlightSetting(app, chosen, "radius", "circling radius", command::FlightSetting::Radius);
}

void setupFlightSettings(CLI::App& app, Command& chosen) {
    CLI::App* settings =
        app.add_subcommand("flight-settings", "Print \"altitude A\" and \"radius R\" from one read");
    onChosen(*settings, chosen, command::flightSettings);
}

void setupMixing(CLI::App& app, Command& chosen) {
    auto options = std::make_shared<ValueOptions>();
    CLI::App* mixing = app.add_subcommand("mixing", "Print the mixing mode, or set it to item 1 to 4");
    addValue(*mixing, "ITEM", options->value, 1, 4, "the list item to set");
    mixing->footer(
        "Prints \"item N\" and \"text T\", T as the window's list shows it:\n"
        "  1 no mixing, aileron navigation; 2 no mixing, aileron and rudder navigation;\n"
        "  3 elevator and aileron mixed, aileron navigation; 4 mixed, aileron and rudder navigation.");
    onChosen(*mixing, chosen, [options](Output& out) -> Action {
        std::optional<int> item;
        if (options->value) {
            item = static_cast<int>(*options->value);
        }
        return [&out, item](Line& line) { return command::mixing(line.controller, item, out); };
    });
}

void setupGyroTest(CLI::App& app, Command& chosen) {
    CLI::App* test = app.add_subcommand("gyro-test", "Run the gyro self-test and print \"x X y Y z Z\"");
    test->footer("Exit status 3 when no result comes, 4 when the controller reports that the test failed.");
    onChosen(*test, chosen, command::gyroTest);
}

void setupAutoReturn(CLI::App& app, Command& chosen) {
    auto options = std::make_shared<WordOptions>();
    CLI::App* autoReturn = app.add_subcommand("auto-return", "Switch automatic return on or off");
    addWord(*autoReturn, options->word, {"on", "off"}, "on or off");
    autoReturn->footer(
        "Waits for the acknowledgement. \"off\" is the same frame (92 00) as the version query,\n"
        "so the controller also sends its firmware version.");
    onChosen(*autoReturn, chosen, [options](Output& out) -> Action {
        return [&out, on = options->word == "on"](Line& line) {
            return command::autoReturn(line.controller, on, out);
        };
    });
}

void setupMode(CLI::App& app, Command& chosen) {
    auto options = std::make_shared<WordOptions>();
    CLI::App* mode = addAircraftCommand(app, "mode", "Command the flight mode: remote, stabilised or auto",
                                        *options, {"remote", "stabilised", "auto"}, "the flight mode");
    onChosen(*mode, chosen, [options](Output& out) -> Action {
        requireYes(*options, "mode");
        const FlightMode mode = options->word == "remote"       ? FlightMode::Remote
                                : options->word == "stabilised" ? FlightMode::Stabilised
                                                                : FlightMode::Auto;
        return [&out, mode](Line& line) { return command::flightMode(line.controller, mode, out); };
    });
}

void setupTask(CLI::App& app, Command& chosen) {
    auto options = std::make_shared<WordOptions>();
    CLI::App* task = addAircraftCommand(app, "task", "Command the task: return, circle, take-off or cancel",
                                        *options, {"return", "circle", "take-off", "cancel"}, "the task");
    onChosen(*task, chosen, [options](Output& out) -> Action {
        requireYes(*options, "task");
        const Task task = options->word == "return"     ? Task::Return
                          : options->word == "circle"   ? Task::Circle
                          : options->word == "take-off" ? Task::TakeOff
                                                        : Task::Cancel;
        return [&out, task](Line& line) { return command::task(line.controller, task, out); };
    });
}

} // namespace tq37r::cli
