// tq37r-cli: the controller's gains from the command line, for scripts, workbenches and fleets.
#include <CLI/CLI.hpp>
#include <charconv>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandError.h"
#include "cli/Commands.h"
#include "cli/StopSignals.h"
#include "res/ProjectInfo.h"
#include "serial/posix/PosixSerialPort.h"

using namespace tq37r;
using namespace tq37r::cli;

namespace {

struct Settings {
    std::string port = "COM1";
    std::uint32_t baud = 19200; // what the window selects at start
    std::uint32_t timeoutMs = 1000;
    std::uint32_t retries = 2;
    bool json = false;
    std::vector<std::string> names;
    std::vector<std::string> assignments;
    std::string file;
    bool saveAfterRestore = false;
    std::uint32_t seconds = 0;
};

// Decimal only: CLI11's own conversion reads "010" as octal.
void addNumber(CLI::App& app, const std::string& name, std::uint32_t& target, std::uint32_t min,
               std::uint32_t max, const std::string& help) {
    app.add_option_function<std::string>(
           name,
           [name, &target, min, max](const std::string& text) {
               std::uint32_t value = 0;
               const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
               if (ec != std::errc{} || end != text.data() + text.size() || value < min || value > max) {
                   throw CLI::ValidationError(name, "must be a whole number from " + std::to_string(min) +
                                                        " to " + std::to_string(max));
               }
               target = value;
           },
           help + " (default " + std::to_string(target) + ")")
        ->type_name("N");
}

std::string gainNameList() {
    std::string list;
    for (std::size_t row = 0; row < kRowCount; ++row) {
        list += "\n ";
        for (std::size_t i = row * 3; i < row * 3 + 3; ++i) {
            list += " " + std::string(kGainNames[i].name);
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
  4  diff found differences, or a save did not verify
  5  a gain file that cannot be read or written, or is refused (its line is named)

Gain files are text, one "name = value" a line (0 to 255), "#" starts a comment. Gain names, by row:)";

} // namespace

int main(int argc, char** argv) {
    Settings s;
    CLI::App app{"Sets up a TQ-37R flight controller's gains over a serial line."};
    app.name("tq37r-cli");
    app.set_version_flag("--version", project::versionText("tq37r-cli"), "print the version and exit");
    app.fallthrough();
    app.require_subcommand(1);
    app.footer(kFooter + gainNameList());
    app.add_option("--port", s.port, "COMn or a device path (default COM1)")->type_name("PORT");
    addNumber(app, "--baud", s.baud, 1, 4'000'000, "line rate");
    addNumber(app, "--timeout", s.timeoutMs, 1, 600'000, "ms to wait for each answer");
    addNumber(app, "--retries", s.retries, 0, 100, "times a request is sent again");
    app.add_flag("--json", s.json, "print one JSON document instead of text lines");

    CLI::App* ports = app.add_subcommand("ports", "List COM1..COM9 and the device each stands for");
    ports->footer("One line per name: \"COMn DEVICE\", or \"COMn not-present\".");
    CLI::App* version = app.add_subcommand("version", "Print the firmware model and version");
    version->footer(
        "Lines \"model N\" and \"version V\". The query (92 00) also turns automatic return off.");
    CLI::App* read =
        app.add_subcommand("read", "Print all 21 gains, \"name value\" one a line, in grid order");
    CLI::App* get = app.add_subcommand("get", "Print the named gains, \"name value\" one a line");
    get->add_option("NAME", s.names, "gain names")->required();
    CLI::App* set = app.add_subcommand("set", "Change gains: read their rows, send each changed row");
    set->add_option("NAME=VALUE", s.assignments, "gains and their new values, 0 to 255")->required();
    set->footer(
        "Each changed row waits for its acknowledgement. Prints \"name before after\" per changed gain.\n"
        "The controller keeps the change until power-off; run save to keep it.");
    CLI::App* save = app.add_subcommand("save", "Save to flash, wait for the ack, read back and verify");
    save->footer("Prints \"saved\". A read-back gain that differs from what was held before the save is\n"
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
    addNumber(*monitor, "--seconds", s.seconds, 0, 86'400 * 365, "stop after N seconds, 0 = until Ctrl+C");
    monitor->footer(
        "One line per state report: \"flight-mode M task T\". M: 0 remote, 1 stabilised, 2 auto.\n"
        "T: 0 return, 1 circle, 2 take-off, 255 none (cancelled).");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitDone : kExitUsage;
    }

    Output out(s.json, std::cout, std::cerr);
    int status = kExitDone;
    try {
        PosixSerialPort port;
        if (ports->parsed()) {
            command::ports(port, out);
            out.finish();
            return kExitDone;
        }
        // Arguments are checked before anything is sent.
        std::function<int(Controller&)> action;
        if (version->parsed()) {
            action = [&out](Controller& c) { return command::version(c, out); };
        } else if (read->parsed()) {
            action = [&out](Controller& c) { return command::read(c, out); };
        } else if (get->parsed()) {
            action = [&out, indices = parseGainNames(s.names)](Controller& c) {
                return command::get(c, indices, out);
            };
        } else if (set->parsed()) {
            action = [&out, assignments = parseAssignments(s.assignments)](Controller& c) {
                return command::set(c, assignments, out);
            };
        } else if (save->parsed()) {
            action = [&out](Controller& c) { return command::save(c, out); };
        } else if (backup->parsed()) {
            action = [&out, &s](Controller& c) { return command::backup(c, s.file, out); };
        } else if (restore->parsed() || diff->parsed()) {
            const bool restoring = restore->parsed();
            action = [&out, &s, restoring, file = command::loadGainFile(s.file, out)](Controller& c) {
                return restoring ? command::restore(c, file, s.saveAfterRestore, out)
                                 : command::diff(c, file, out);
            };
        } else {
            action = [&out, &s](Controller& c) {
                std::optional<std::chrono::milliseconds> duration;
                if (s.seconds != 0) {
                    duration = std::chrono::seconds(s.seconds);
                }
                return command::monitor(c, duration, out);
            };
        }
        Controller controller(
            port, Controller::Timing{std::chrono::milliseconds(s.timeoutMs), static_cast<int>(s.retries)});
        // Before the port's watcher thread starts, so the signals are blocked there too.
        std::optional<StopSignals> stopSignals;
        if (monitor->parsed()) {
            stopSignals.emplace([&controller] { controller.interrupt(); });
        }
        command::open(controller, s.port, s.baud);
        status = action(controller);
    } catch (const CommandError& e) {
        out.error(e.what(), e.status());
        status = e.status();
    }
    out.finish();
    return status;
}
