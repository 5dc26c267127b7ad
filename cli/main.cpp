// tq37r-cli: the controller from the command line, for scripts, workbenches and fleets.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandError.h"
#include "cli/Commands.h"
#include "cli/PortEvents.h"
#include "cli/StopSignals.h"
#include "core/LineLog.h"
#include "device/BaudTable.h"
#include "res/ProjectInfo.h"
#include "serial/posix/PosixSerialPort.h"

using namespace tq37r;
using namespace tq37r::cli;

namespace {

struct Settings {
    std::string port = "COM1";
    std::uint32_t baud = kDefaultBaudRate;
    std::uint32_t timeoutMs = 1000;
    std::uint32_t retries = 2;
    bool json = false;
    bool trace = false;
    bool raw = false;
    std::vector<std::string> names;
    std::vector<std::string> assignments;
    std::string file;
    bool saveAfterRestore = false;
    double seconds = 0;
    std::optional<std::uint32_t> value;
    std::string word; // a command's one word: on/off, a mode, a task
    bool yes = false;
    std::vector<std::string> ports;
    std::vector<std::uint32_t> bauds;
};

bool parseDecimal(const std::string& text, std::uint32_t min, std::uint32_t max, std::uint32_t& out) {
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < min || value > max) {
        return false;
    }
    out = value;
    return true;
}

std::string range(std::uint32_t min, std::uint32_t max) {
    return "must be a whole number from " + std::to_string(min) + " to " + std::to_string(max);
}

// Decimal only: CLI11's own conversion reads "010" as octal.
void addNumber(CLI::App& app, const std::string& name, std::uint32_t& target, std::uint32_t min,
               std::uint32_t max, const std::string& help) {
    app.add_option_function<std::string>(
           name,
           [name, &target, min, max](const std::string& text) {
               if (!parseDecimal(text, min, max, target)) {
                   throw CLI::ValidationError(name, range(min, max));
               }
           },
           help + " (default " + std::to_string(target) + ")")
        ->type_name("N");
}

// A command's optional number argument.
void addValue(CLI::App& command, const std::string& name, std::optional<std::uint32_t>& target,
              std::uint32_t min, std::uint32_t max, const std::string& help) {
    command.add_option_function<std::string>(
        name,
        [name, &target, min, max](const std::string& text) {
            std::uint32_t value = 0;
            if (!parseDecimal(text, min, max, value)) {
                throw CLI::ValidationError(name, range(min, max));
            }
            target = value;
        },
        help);
}

// One of a command's words, checked when parsed.
void addWord(CLI::App& command, std::string& target, const std::vector<std::string>& words,
             const std::string& help) {
    command.add_option("WORD", target, help)
        ->required()
        ->check(CLI::IsMember(words))
        ->type_name(words.front() + "|...");
}

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
COM names stand for, in this order: $TQ37R_PORT_DIR/COMn when TQ37R_PORT_DIR is set; /dev/COMn when it
exists; else the n-th serial device present (ttyUSB, then ttyACM, then real ttyS). Any other --port is a
device path. The line is 8 data bits, no parity, one stop bit, no flow control.

Each request waits --timeout ms for its answer and is sent again up to --retries more times. Results go to
stdout, messages to stderr. With --json, stdout carries one JSON object: the results, and on failure
"error" and "exit" members as well (except for errors in the command line itself).

Exit status:
  0  done
  1  usage: a bad option, command, gain name or value (nothing was sent)
  2  the port could not be opened (the cause is printed)
  3  no answer after the retries, or the line hung up
  4  diff found differences, a save did not verify, or the controller reports a failure
  5  a gain file that cannot be read or written, or is refused (its line is named)
  130  interrupted (Ctrl+C) before the command was done

Gain files are text, one "name = value" a line (0 to 255), "#" starts a comment. Gain names, by row:)";

// A year: a monitor meant to run longer is meant to run until stopped.
constexpr double kMaxMonitorSeconds = 86'400.0 * 365;

using Action = std::function<int(Controller&)>;

// The action of the command given, or nullptr for `ports`, which needs no controller.
Action chosenAction(CLI::App& app, Settings& s, Output& out, LineLog& log) {
    const auto is = [&app](const char* name) { return app.got_subcommand(name); };
    if (is("version")) {
        return [&out](Controller& c) { return command::version(c, out); };
    }
    if (is("read")) {
        return [&out](Controller& c) { return command::read(c, out); };
    }
    if (is("get")) {
        return [&out, indices = parseGainNames(s.names)](Controller& c) {
            return command::get(c, indices, out);
        };
    }
    if (is("set")) {
        return [&out, assignments = parseAssignments(s.assignments)](Controller& c) {
            return command::set(c, assignments, out);
        };
    }
    if (is("save")) {
        return [&out](Controller& c) { return command::save(c, out); };
    }
    if (is("backup")) {
        return [&out, &s](Controller& c) { return command::backup(c, s.file, out); };
    }
    if (is("restore") || is("diff")) {
        const bool restoring = is("restore");
        return [&out, &s, restoring, file = command::loadGainFile(s.file, out)](Controller& c) {
            return restoring ? command::restore(c, file, s.saveAfterRestore, out)
                             : command::diff(c, file, out);
        };
    }
    if (is("monitor")) {
        return [&out, &s, &log](Controller& c) {
            std::optional<std::chrono::milliseconds> duration;
            if (s.seconds > 0) {
                duration = std::chrono::milliseconds(std::llround(s.seconds * 1000));
            }
            return command::monitor(c, duration, s.raw ? &log : nullptr, out);
        };
    }
    if (is("altitude") || is("radius")) {
        const auto which = is("altitude") ? command::FlightSetting::Altitude : command::FlightSetting::Radius;
        std::optional<std::uint16_t> value;
        if (s.value) {
            value = static_cast<std::uint16_t>(*s.value);
        }
        return [&out, which, value](Controller& c) { return command::flightSetting(c, which, value, out); };
    }
    if (is("flight-settings")) {
        return [&out](Controller& c) { return command::flightSettings(c, out); };
    }
    if (is("mixing")) {
        std::optional<int> item;
        if (s.value) {
            item = static_cast<int>(*s.value);
        }
        return [&out, item](Controller& c) { return command::mixing(c, item, out); };
    }
    if (is("gyro-test")) {
        return [&out](Controller& c) { return command::gyroTest(c, out); };
    }
    if (is("auto-return")) {
        return [&out, on = s.word == "on"](Controller& c) { return command::autoReturn(c, on, out); };
    }
    if (is("mode") || is("task")) {
        if (!s.yes) {
            throw CommandError(kExitUsage, std::string(is("mode") ? "mode" : "task") +
                                               " commands the aircraft itself: give --yes to send it");
        }
        if (is("mode")) {
            const FlightMode mode = s.word == "remote"       ? FlightMode::Remote
                                    : s.word == "stabilised" ? FlightMode::Stabilised
                                                             : FlightMode::Auto;
            return [&out, mode](Controller& c) { return command::flightMode(c, mode, out); };
        }
        const Task task = s.word == "return"     ? Task::Return
                          : s.word == "circle"   ? Task::Circle
                          : s.word == "take-off" ? Task::TakeOff
                                                 : Task::Cancel;
        return [&out, task](Controller& c) { return command::task(c, task, out); };
    }
    return nullptr;
}

void addCommands(CLI::App& app, Settings& s) {
    app.add_subcommand("ports", "List COM1..COM9 and the device each stands for")
        ->footer("One line per name: \"COMn DEVICE\", or \"COMn not-present\".");
    app.add_subcommand("version", "Print the firmware model and version")
        ->footer("Lines \"model N\" and \"version V\". The query (92 00) also turns automatic return off.");
    app.add_subcommand("read", "Print all 21 gains, \"name value\" one a line, in grid order");
    app.add_subcommand("get", "Print the named gains, \"name value\" one a line")
        ->add_option("NAME", s.names, "gain names")
        ->required();
    CLI::App* set = app.add_subcommand("set", "Change gains: read their rows, send each changed row");
    set->add_option("NAME=VALUE", s.assignments, "gains and their new values, 0 to 255")->required();
    set->footer("Reads only the read-back block that holds the changed rows. Each changed row waits for its\n"
                "acknowledgement. Prints \"name before after\" per changed gain.\n"
                "The controller keeps the change until power-off; run save to keep it.");
    app.add_subcommand("save", "Save to flash, wait for the ack, read back and verify")
        ->footer("Prints \"saved\". A read-back gain that differs from what was held before the save is\n"
                 "printed as \"name controller expected\" and the exit status is 4.");
    CLI::App* backup = app.add_subcommand("backup", "Write all gains into a gain file");
    backup->add_option("FILE", s.file, "the gain file to write")->required();
    backup->footer("The header names the firmware (the query also turns automatic return off) and the date.");
    CLI::App* restore = app.add_subcommand("restore", "Send every row in which the file differs");
    restore->add_option("FILE", s.file, "the gain file to read")->required();
    restore->add_flag("--save", s.saveAfterRestore, "then save to flash and verify");
    restore->footer(
        "A gain the file leaves out keeps the controller's value; unknown names are warned about.\n"
        "Prints \"name before after\" per changed gain.");
    CLI::App* diff = app.add_subcommand("diff", "Compare a gain file with the controller");
    diff->add_option("FILE", s.file, "the gain file to compare")->required();
    diff->footer("One line per differing gain: \"name controller file\", e.g. \"pitch.level 35 40\".\n"
                 "Exit status 4 when any differ, 0 when none. Gains the file leaves out are not compared.");
    CLI::App* monitor = app.add_subcommand("monitor", "Print the controller's mode reports as they arrive");
    monitor
        ->add_option_function<std::string>(
            "--seconds",
            [&s](const std::string& text) {
                // NaN passes any range check, and would mean forever.
                const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), s.seconds);
                if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(s.seconds) ||
                    s.seconds < 0 || s.seconds > kMaxMonitorSeconds) {
                    throw CLI::ValidationError("--seconds",
                                               "must be a number of seconds from 0 to " +
                                                   std::to_string(std::lround(kMaxMonitorSeconds)));
                }
            },
            "stop after this long (1.5 is fine); 0 = until Ctrl+C")
        ->type_name("S");
    monitor->add_flag("--raw", s.raw, "print every frame that arrives, as the line log shows it");
    monitor->footer(
        "One line per state report: \"flight-mode M task T\". M: 0 remote, 1 stabilised, 2 auto.\n"
        "T: 0 return, 1 circle, 2 take-off, 255 none (cancelled). With --raw, one line per frame\n"
        "instead: \"MS <- HEX  MEANING\", MS the milliseconds since the port was opened.");

    for (const auto& [name, what] :
         {std::pair{"altitude", "target altitude"}, std::pair{"radius", "circling radius"}}) {
        CLI::App* command = app.add_subcommand(name, std::string("Print the ") + what + ", or set it to N");
        addValue(*command, "N", s.value, 0, 65535, std::string("the new ") + what);
        command->footer(std::string("Prints \"") + name +
                        " N\". Without N it reads both flight settings (BA); with N it\n"
                        "sends the new value and waits for the acknowledgement.");
    }
    app.add_subcommand("flight-settings", "Print \"altitude A\" and \"radius R\" from one read");
    CLI::App* mixing = app.add_subcommand("mixing", "Print the mixing mode, or set it to item 1 to 4");
    addValue(*mixing, "ITEM", s.value, 1, 4, "the list item to set");
    mixing->footer(
        "Prints \"item N\" and \"text T\", T as the window's list shows it:\n"
        "  1 no mixing, aileron navigation; 2 no mixing, aileron and rudder navigation;\n"
        "  3 elevator and aileron mixed, aileron navigation; 4 mixed, aileron and rudder navigation.");
    app.add_subcommand("gyro-test", "Run the gyro self-test and print \"x X y Y z Z\"")
        ->footer("Exit status 3 when no result comes, 4 when the controller reports that the test failed.");
    CLI::App* autoReturn = app.add_subcommand("auto-return", "Switch automatic return on or off");
    addWord(*autoReturn, s.word, {"on", "off"}, "on or off");
    autoReturn->footer(
        "Waits for the acknowledgement. \"off\" is the same frame (92 00) as the version query,\n"
        "so the controller also sends its firmware version.");
    CLI::App* mode = app.add_subcommand("mode", "Command the flight mode: remote, stabilised or auto");
    addWord(*mode, s.word, {"remote", "stabilised", "auto"}, "the flight mode");
    CLI::App* task = app.add_subcommand("task", "Command the task: return, circle, take-off or cancel");
    addWord(*task, s.word, {"return", "circle", "take-off", "cancel"}, "the task");
    for (CLI::App* command : {mode, task}) {
        command->add_flag("--yes", s.yes, "send it: this commands the aircraft itself");
        command->footer("Refused without --yes (nothing is sent). Prints the state report that follows,\n"
                        "\"flight-mode M task T\"; exit status 3 when none comes.");
    }
    CLI::App* detect = app.add_subcommand("detect", "Find the port and rate at which the controller answers");
    detect
        ->add_option_function<std::vector<std::string>>(
            "--ports",
            [&s](const std::vector<std::string>& names) {
                for (const std::string& name : names) {
                    if (name.empty()) {
                        throw CLI::ValidationError("--ports", "an empty port name");
                    }
                    if (std::find(s.ports.begin(), s.ports.end(), name) == s.ports.end()) {
                        s.ports.push_back(name); // a port named twice is tried once
                    }
                }
                if (s.ports.empty()) {
                    throw CLI::ValidationError("--ports", "names no port");
                }
            },
            "COM names to try (default: those of COM1..COM9 present)")
        ->delimiter(',')
        ->type_name("COMn,...");
    detect
        ->add_option_function<std::vector<std::string>>(
            "--bauds",
            [&s](const std::vector<std::string>& texts) {
                for (const std::string& text : texts) {
                    std::uint32_t baud = 0;
                    if (!parseDecimal(text, 1, 4'000'000, baud)) {
                        throw CLI::ValidationError("--bauds", text.empty() ? std::string("an empty rate")
                                                                           : range(1, 4'000'000));
                    }
                    s.bauds.push_back(baud);
                }
                if (s.bauds.empty()) {
                    throw CLI::ValidationError("--bauds", "names no rate");
                }
            },
            "rates to try, fastest first (default: the baud table)")
        ->delimiter(',')
        ->type_name("N,...");
    detect->footer(
        "Asks each port at each rate for the first gain block, which changes nothing (it never\n"
        "sends 92 00), and prints \"COMn BAUD\" for each port that answers; exit status 3 when none\n"
        "does. Each try waits --timeout ms, without retries; what it tries is told on stderr once it\n"
        "has run for more than a second.");
}

} // namespace

int main(int argc, char** argv) {
    Settings s;
    CLI::App app{"Sets up a TQ-37R flight controller over a serial line."};
    app.name("tq37r-cli");
    app.set_version_flag("--version", project::versionText("tq37r-cli"), "print the version and exit");
    app.fallthrough();
    app.require_subcommand(1);
    std::string footer = kFooter;
    footer += gainNameList();
    app.footer(footer);
    app.add_option("--port", s.port, "COMn or a device path (default COM1)")->type_name("PORT");
    addNumber(app, "--baud", s.baud, 1, 4'000'000, "line rate");
    addNumber(app, "--timeout", s.timeoutMs, 1, 600'000, "ms to wait for each answer");
    addNumber(app, "--retries", s.retries, 0, 100, "times a request is sent again");
    app.add_flag("--json", s.json, "print one JSON document instead of text lines");
    app.add_flag("--trace", s.trace, "write the line log to stderr as it happens (JSON lines with --json)");
    addCommands(app, s);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitDone : kExitUsage;
    }

    Output out(s.json, std::cout, std::cerr);
    int status = kExitDone;
    try {
        PosixSerialPort port;
        if (app.got_subcommand("ports")) {
            command::ports(port, out);
            out.finish();
            return kExitDone;
        }
        // Arguments are checked before anything is sent.
        const bool detecting = app.got_subcommand("detect");
        LineLog log;
        const Action action = detecting ? nullptr : chosenAction(app, s, out, log);
        PortEvents events;
        Controller controller(
            port, events,
            Controller::Timing{std::chrono::milliseconds(s.timeoutMs), static_cast<int>(s.retries)});
        if (s.trace) {
            log.onEntry = [json = s.json](const LineLog::Entry& entry) {
                std::cerr << (json ? LineLog::formatJson(entry) : LineLog::format(entry)) << '\n';
            };
        }
        if (s.trace || s.raw) {
            controller.setObserver(&log);
        }
        // Before the port's watcher thread starts, so the signals are blocked there too.
        std::optional<StopSignals> stopSignals;
        if (app.got_subcommand("monitor") || detecting) {
            stopSignals.emplace([&events] { events.interrupt(); });
        }
        if (detecting) {
            std::vector<std::uint32_t> bauds =
                s.bauds.empty() ? std::vector<std::uint32_t>(kBaudTable.begin(), kBaudTable.end()) : s.bauds;
            std::sort(bauds.begin(), bauds.end(), std::greater<>());
            bauds.erase(std::unique(bauds.begin(), bauds.end()), bauds.end());
            status = command::detect(controller, s.ports.empty() ? listedPortsPresent(port) : s.ports,
                                     std::move(bauds), out);
        } else {
            command::open(controller, s.port, s.baud);
            status = action(controller);
        }
    } catch (const CommandError& e) {
        out.error(e.what(), e.status());
        status = e.status();
    }
    out.finish();
    return status;
}
