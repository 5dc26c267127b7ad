// The tuning history's commands: history, and its show, diff, label and log.
#include <memory>

#include "cli/CheckedOptions.h"
#include "cli/CommandError.h"
#include "cli/Commands.h"
#include "cli/Subcommands.h"

namespace tq37r::cli {

namespace {

struct ListOptions {
    std::uint32_t limit = 0; // 0: all
    std::string port;
};

struct SnapshotOptions {
    std::string id;
    std::string other; // diff: a second id, or "defaults"
    std::string label;
    std::uint32_t limit = 0; // log
};

// What runs when the line names `command`: its arguments are checked (the ids looked up) in
// `run`, after parse, and no port is opened.
void onChosenWithoutPort(CLI::App& command, Command& chosen, std::function<int(Output&)> run) {
    command.callback([&chosen, run = std::move(run)] {
        chosen.withoutController = [run](const SerialPort&, Output& out) { return run(out); };
    });
}

void setupHistoryShow(CLI::App& history, Command& chosen) {
    auto options = std::make_shared<SnapshotOptions>();
    CLI::App* show =
        history.add_subcommand("show", "Print a snapshot's 21 gains, \"name value\" as read does");
    show->add_option("ID", options->id, "the snapshot: its id, or 4 or more of its first characters")
        ->required();
    onChosenWithoutPort(*show, chosen, [options](Output& out) {
        return command::historyShow(command::snapshotNamed(options->id), out);
    });
}

void setupHistoryDiff(CLI::App& history, Command& chosen) {
    auto options = std::make_shared<SnapshotOptions>();
    CLI::App* diff = history.add_subcommand("diff", "Compare two snapshots, or a snapshot with the defaults");
    diff->add_option("ID", options->id, "the first snapshot")->required();
    diff->add_option("OTHER", options->other, "the second snapshot's ID, or the word defaults")->required();
    diff->footer(
        "One line per differing gain: \"name first second\". Exit status 4 when any differ, 0 when none.");
    onChosenWithoutPort(*diff, chosen, [options](Output& out) {
        // Both are looked up before anything is printed.
        const Gains first = command::gainsOf(command::snapshotNamed(options->id));
        const Gains second = options->other == "defaults"
                                 ? defaultGains()
                                 : command::gainsOf(command::snapshotNamed(options->other));
        return command::historyDiff(first, second, out);
    });
}

void setupHistoryLabel(CLI::App& history, Command& chosen) {
    auto options = std::make_shared<SnapshotOptions>();
    CLI::App* label = history.add_subcommand("label", "Give a snapshot a label, shown by history");
    label->add_option("ID", options->id, "the snapshot")->required();
    label
        ->add_option("TEXT", options->label,
                     "one line, at most " + std::to_string(kMaxLabelLength) +
                         " characters; quote it when it holds spaces")
        ->required()
        ->type_name("");
    label->footer(
        "A later label replaces an earlier one. A labelled snapshot stays in the history however old.");
    onChosenWithoutPort(*label, chosen, [options](Output& out) {
        if (const std::string problem = labelProblem(options->label); !problem.empty()) {
            throw CommandError(kExitUsage, problem);
        }
        return command::historyLabel(command::snapshotNamed(options->id), options->label, out);
    });
}

void setupHistoryLog(CLI::App& history, Command& chosen) {
    auto options = std::make_shared<SnapshotOptions>();
    CLI::App* log = history.add_subcommand("log", "Print the history's entries, oldest first");
    addNumber(*log, "--limit", options->limit, 0, 1'000'000, "the newest N only; 0 for all");
    log->footer(
        "One line per entry: \"TIME PROGRAM KIND PORT DETAILS\"; DETAILS is a snapshot's id, a set's\n"
        "\"row before after\", a save's verdict, a file's path or a label's \"ID LABEL\". Lines that are\n"
        "no entry this version knows (torn, or from a newer one) are skipped and counted on stderr\n"
        "(JSON: \"skipped\").");
    onChosenWithoutPort(*log, chosen,
                        [options](Output& out) { return command::historyLog(options->limit, out); });
}

} // namespace

void setupHistory(CLI::App& app, Command& chosen) {
    auto options = std::make_shared<ListOptions>();
    CLI::App* history =
        app.add_subcommand("history", "List the snapshots of the tuning history, newest first");
    history->require_subcommand(0, 1);
    addNumber(*history, "--limit", options->limit, 0, 1'000'000, "the newest N only; 0 for all");
    history->add_option("--port", options->port, "only those taken on this port")->type_name("COMn");
    history->footer(
        "One line per snapshot (a complete read, or a verified save): \"ID TIME PORT FIRMWARE KIND LABEL\",\n"
        "ID its first 8 characters; any 4 or more of its first characters name it wherever an ID is asked\n"
        "for (diff --snapshot, restore --snapshot too). None of these commands opens a port.\n"
        "Every command that talks to a controller adds to the history: what it read, the rows it sent\n"
        "and the saves, in journal.jsonl under $TQ37R_DATA_DIR, else $XDG_DATA_HOME/tq37r-params\n"
        "(~/.local/share/tq37r-params).");
    for (const auto setup : {setupHistoryShow, setupHistoryDiff, setupHistoryLabel, setupHistoryLog}) {
        setup(*history, chosen);
    }
    history->callback([&app, &chosen, history, options] {
        if (!history->get_subcommands().empty()) {
            return; // show, diff, label or log: its own callback has run
        }
        // `tq37r-cli --port COM3 history` means that port too.
        if (const CLI::Option* port = app.get_option("--port"); options->port.empty() && port->count() > 0) {
            options->port = port->as<std::string>();
        }
        chosen.withoutController = [options](const SerialPort&, Output& out) {
            return command::history(options->limit, options->port, out);
        };
    });
}

} // namespace tq37r::cli
