// tq37r-cli: the controller from the command line, for scripts, workbenches and fleets.
#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>

#include "cli/CommandError.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/PortEvents.h"
#include "cli/StopSignals.h"
#include "serial/posix/PosixSerialPort.h"

using namespace tq37r;
using namespace tq37r::cli;

namespace {

// Runs the command the line named; throws CommandError.
int run(const Command& chosen, const GlobalOptions& options, SerialPort& port, Output& out) {
    if (chosen.withoutController) {
        return chosen.withoutController(port, out);
    }
    LineLog log;
    // Arguments are checked before anything is sent.
    const Action action = chosen.prepare(out);
    PortEvents events;
    // Before the controller and the port's watcher thread, so the signals are blocked there too.
    std::optional<StopSignals> stopSignals;
    if (chosen.stoppable) {
        stopSignals.emplace([&events] { events.interrupt(); });
    }
    // Outlives the controller, whose session records into it to the end.
    Journal journal = command::toolJournal();
    journal.onFailure(
        [&out](const std::string& why) { out.warning("the tuning history cannot be written: " + why); });
    Controller controller(
        port, events,
        Controller::Timing{std::chrono::milliseconds(options.timeoutMs), static_cast<int>(options.retries)},
        [] { return std::make_unique<PosixSerialPort>(); });
    controller.setJournal(&journal);
    if (options.trace) {
        log.onEntry = [json = options.json](const LineLog::Entry& entry) {
            std::cerr << (json ? LineLog::formatJson(entry) : LineLog::format(entry)) << '\n';
        };
    }
    if (options.trace || chosen.observesLine) {
        controller.setObserver(&log);
    }
    if (chosen.opensPort) {
        command::open(controller, options.port, options.baud);
    }
    Line line{port, controller, log};
    return action(line);
}

} // namespace

int main(int argc, char** argv) {
    GlobalOptions options;
    Command chosen;
    CLI::App app;
    setupCommandLine(app, options, chosen);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitDone : kExitUsage;
    }

    Output out(options.json, std::cout, std::cerr);
    int status = kExitDone;
    try {
        PosixSerialPort port;
        status = run(chosen, options, port, out);
    } catch (const CommandError& e) {
        out.error(e.what(), e.status());
        status = e.status();
    }
    out.finish();
    return status;
}
