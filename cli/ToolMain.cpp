// tq37r-cli: the controller from the command line, for scripts, workbenches and fleets.
#include "cli/ToolMain.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>

#include "cli/CommandError.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"

namespace tq37r::cli {

namespace {

// Runs the command the line named; throws CommandError.
int run(const Command& chosen, const GlobalOptions& options, CommandPorts& ports, Output& out) {
    if (chosen.withoutController) {
        return chosen.withoutController(ports.port(), out);
    }
    // Arguments are checked before anything is sent.
    const Action action = chosen.prepare(out);
    LineWait& wait = ports.lineWait(chosen.stoppable);
    // Both outlive the controller, whose session tells them of the line to the end. The log
    // keeps no entries: --trace and monitor --raw print each as it is made.
    std::optional<LineLog> log;
    Journal journal = command::toolJournal();
    journal.onFailure(
        [&out](const std::string& why) { out.warning("the tuning history cannot be written: " + why); });
    Controller controller(
        ports.port(), wait,
        Controller::Timing{std::chrono::milliseconds(options.timeoutMs), static_cast<int>(options.retries)},
        ports.portMaker());
    controller.setJournal(&journal);
    if (options.trace || chosen.observesLine) {
        log.emplace(0);
        if (options.trace) {
            log->onEntry = [json = options.json](const LineLog::Entry& entry) {
                std::cerr << (json ? LineLog::formatJson(entry) : LineLog::format(entry)) << '\n';
            };
        }
        controller.setObserver(&*log);
    }
    if (chosen.opensPort) {
        command::open(controller, options.port, options.baud);
    }
    Line line{ports.port(), controller, log ? &*log : nullptr};
    return action(line);
}

} // namespace

int toolMain(int argc, const char* const* argv, CommandPorts& ports) {
    GlobalOptions options;
    Command chosen;
    CLI::App app;
    setupCommandLine(app, options, chosen, {argv + 1, argc > 0 ? static_cast<std::size_t>(argc - 1) : 0},
                     ports.portNaming());
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitDone : kExitUsage;
    }

    Output out(options.json, std::cout, std::cerr);
    int status = kExitDone;
    try {
        status = run(chosen, options, ports, out);
    } catch (const CommandError& e) {
        out.error(e.what(), e.status());
        status = e.status();
    }
    out.finish();
    return status;
}

} // namespace tq37r::cli
