#pragma once

#include <CLI/CLI.hpp>
#include <functional>

#include "cli/CommandLine.h"

namespace tq37r::cli {

// Each adds its subcommand to app, whose callback records in `chosen` what it runs.
void setupPorts(CLI::App& app, Command& chosen);
void setupVersion(CLI::App& app, Command& chosen);
void setupRead(CLI::App& app, Command& chosen);
void setupGet(CLI::App& app, Command& chosen);
void setupSet(CLI::App& app, Command& chosen);
void setupSave(CLI::App& app, Command& chosen);
void setupBackup(CLI::App& app, Command& chosen);
void setupRestore(CLI::App& app, Command& chosen);
void setupDiff(CLI::App& app, Command& chosen);
void setupMonitor(CLI::App& app, Command& chosen);
void setupAltitude(CLI::App& app, Command& chosen);
void setupRadius(CLI::App& app, Command& chosen);
void setupFlightSettings(CLI::App& app, Command& chosen);
void setupMixing(CLI::App& app, Command& chosen);
void setupGyroTest(CLI::App& app, Command& chosen);
void setupAutoReturn(CLI::App& app, Command& chosen);
void setupMode(CLI::App& app, Command& chosen);
void setupTask(CLI::App& app, Command& chosen);
void setupDetect(CLI::App& app, Command& chosen);
void setupHistory(CLI::App& app, Command& chosen);

// Records prepare as what runs when the line names `command`.
void onChosen(CLI::App& command, Command& chosen, std::function<Action(Output&)> prepare);
// Records a command with nothing to check beyond the parser's, run on the controller.
void onChosen(CLI::App& command, Command& chosen, int (*run)(Controller&, Output&));

} // namespace tq37r::cli
