#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "cli/Controller.h"
#include "cli/Output.h"
#include "core/LineLog.h"
#include "device/BaudTable.h"
#include "serial/SerialPort.h"

namespace tq37r::cli {

// The options every command shares.
struct GlobalOptions {
    std::string port = "COM1";
    std::uint32_t baud = kDefaultBaudRate;
    std::uint32_t timeoutMs = 1000;
    std::uint32_t retries = 2;
    bool json = false;
    bool trace = false;
};

// What a command runs on once its arguments are checked.
struct Line {
    SerialPort& port;
    Controller& controller;
    LineLog* log; // the controller's observer with --trace or when the command observes the line; else null
};

// A command's work; returns the exit status or throws CommandError.
using Action = std::function<int(Line&)>;

// What the command the line names will run, recorded by its subcommand's callback in parse.
struct Command {
    // Checks the command's arguments and returns its action. Called after parse, not in the
    // callback: CLI11 lets any exception but its own out of parse, past main's reporting.
    std::function<Action(Output&)> prepare;
    // Set instead of prepare by a command that needs no controller (`ports`).
    std::function<int(const SerialPort&, Output&)> withoutController;
    bool opensPort = true;     // false: the command opens each port it tries (detect)
    bool stoppable = false;    // runs until stopped, so Ctrl+C must end the command, not the tool
    bool observesLine = false; // the line log must be the controller's observer (monitor --raw)
};

// The program's description, global options, help footer, and the subcommand `args` (the
// arguments after the program's name) name, or every subcommand when they name none.
// `portNaming` says in the help what a COM name stands for on this platform.
void setupCommandLine(CLI::App& app, GlobalOptions& options, Command& chosen,
                      std::span<const char* const> args, std::string_view portNaming);

} // namespace tq37r::cli
