#include "cli/CommandLine.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "cli/CheckedOptions.h"
#include "cli/Subcommands.h"
#include "device/GainTable.h"
#include "res/ProjectInfo.h"

namespace tq37r::cli {

namespace {

std::string gainNameList() {
    std::string list;
    for (const GainRow& row : kGainRows) {
        list += "\n ";
        for (std::size_t i = firstGainOf(row.group); i < firstGainOf(row.group) + kGainsPerRow; ++i) {
            list += ' ';
            list += kGains[i].fileName;
        }
    }
    return list;
}

constexpr const char* kFooter = R"(
The line is 8 data bits, no parity, one stop bit, no flow control.

Each request waits --timeout ms for its answer and is sent again up to --retries more times. Results go to
stdout, messages to stderr. With --json, stdout carries one JSON object: the results, and on failure
"error" and "exit" members as well (except for errors in the command line itself).

Each command that talks to the controller adds what it read, sent and saved to the tuning history
(see history --help); when that cannot be written it warns once and goes on.

Exit status:
  0  done
  1  usage: a bad option, command, gain name or value (nothing was sent)
  2  the port could not be opened (the cause is printed)
  3  no answer after the retries, the line hung up, or a save whose read-back got no answer
  4  diff found differences, a save did not verify, or the controller reports a failure
  5  a gain file that cannot be read or written, or is refused (its line is named); a label
     that cannot be written
  130  interrupted (Ctrl+C) before the command was done

Gain files are text, one "name = value" a line (0 to 255), "#" starts a comment. Gain names, by row:)";

void setupGlobalOptions(CLI::App& app, GlobalOptions& options) {
    app.add_option("--port", options.port, "COMn or a device path (default COM1)")->type_name("PORT");
    addNumber(app, "--baud", options.baud, 1, 4'000'000, "line rate");
    addNumber(app, "--timeout", options.timeoutMs, 1, 600'000, "ms to wait for each answer");
    addNumber(app, "--retries", options.retries, 0, 100, "times a request is sent again");
    app.add_flag("--json", options.json, "print one JSON document instead of text lines");
    app.add_flag("--trace", options.trace,
                 "write the line log to stderr as it happens (JSON lines with --json)");
}

struct Subcommand {
    std::string_view name;
    void (*setup)(CLI::App&, Command&);
};

// In the order --help lists them.
constexpr std::array<Subcommand, 20> kSubcommands{{
    {"ports", setupPorts},
    {"version", setupVersion},
    {"read", setupRead},
    {"get", setupGet},
    {"set", setupSet},
    {"save", setupSave},
    {"backup", setupBackup},
    {"restore", setupRestore},
    {"diff", setupDiff},
    {"monitor", setupMonitor},
    {"altitude", setupAltitude},
    {"radius", setupRadius},
    {"flight-settings", setupFlightSettings},
    {"mixing", setupMixing},
    {"gyro-test", setupGyroTest},
    {"auto-return", setupAutoReturn},
    {"mode", setupMode},
    {"task", setupTask},
    {"detect", setupDetect},
    {"history", setupHistory},
}};

// The subcommand `args` name: their first word that is neither a global option nor an option's
// value. nullptr for anything else (--help, --version, a mistake), which the parser then tells
// knowing every subcommand.
const Subcommand* named(CLI::App& app, std::span<const char* const> args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!arg.starts_with('-')) {
            const auto found = std::find_if(kSubcommands.begin(), kSubcommands.end(),
                                            [arg](const Subcommand& s) { return s.name == arg; });
            return found != kSubcommands.end() ? &*found : nullptr;
        }
        const std::string_view name = arg.substr(0, arg.find('='));
        const CLI::Option* option = app.get_option_no_throw(std::string(name));
        if (option == nullptr || option == app.get_help_ptr() || option == app.get_version_ptr()) {
            return nullptr;
        }
        if (option->get_expected_max() > 0 && name.size() == arg.size()) {
            ++i; // its value
        }
    }
    return nullptr;
}

} // namespace

void setupCommandLine(CLI::App& app, GlobalOptions& options, Command& chosen,
                      std::span<const char* const> args, std::string_view portNaming) {
    app.description("Sets up a TQ-37R flight controller over a serial line.");
    app.name("tq37r-cli");
    app.set_version_flag("--version", project::versionText("tq37r-cli"), "print the version and exit");
    app.fallthrough();
    app.require_subcommand(1);
    // The same options everywhere: on Windows CLI11 would also take "/name" for one, and refuse
    // a file path that begins with a slash.
    app.allow_windows_style_options(false);
    app.footer("\n" + std::string(portNaming) + kFooter + gainNameList());
    setupGlobalOptions(app, options);
    // Only the subcommand named is set up: setting up the other nineteen would be most of a
    // command's start-up.
    if (const Subcommand* only = named(app, args)) {
        only->setup(app, chosen);
        return;
    }
    for (const Subcommand& subcommand : kSubcommands) {
        subcommand.setup(app, chosen);
    }
}

void onChosen(CLI::App& command, Command& chosen, std::function<Action(Output&)> prepare) {
    command.callback([&chosen, prepare = std::move(prepare)] { chosen.prepare = prepare; });
}

void onChosen(CLI::App& command, Command& chosen, int (*run)(Controller&, Output&)) {
    onChosen(command, chosen, [run](Output& out) -> Action {
        return [run, &out](Line& line) { return run(line.controller, out); };
    });
}

} // namespace tq37r::cli
