// The commands on the gains: version, read, get, set, save, backup, restore and diff.
#include <memory>

#include "cli/CommandError.h"
#include "cli/Commands.h"
#include "cli/Subcommands.h"

namespace tq37r::cli {

namespace {

struct GetOptions {
    std::vector<std::string> names;
};

struct SetOptions {
    std::vector<std::string> assignments;
};

struct FileOptions {
    std::string file;
};

// Where the gains that restore and diff want come from: a file, a snapshot or the defaults.
struct SourceOptions {
    CLI::Option* file = nullptr;
    CLI::Option* snapshot = nullptr;
    bool defaults = false; // diff
    bool save = false;     // restore: then save to flash
};

struct Source {
    GainFileRead gains;
    std::string_view name; // what --json calls the other side of a diff
};

CLI::Option* addSnapshot(CLI::App& command) {
    return command.add_option("--snapshot", "a snapshot of the tuning history instead (see history)")
        ->type_name("ID");
}

// Exactly one source, read (a snapshot looked up) before any port is opened.
Source chosenSource(const SourceOptions& options, const std::string& choices, Output& out) {
    const std::size_t given = options.file->count() + options.snapshot->count() + (options.defaults ? 1 : 0);
    if (given != 1) {
        throw CommandError(kExitUsage, "give one of " + choices);
    }
    if (options.defaults) {
        return {command::asGainFile(defaultGains()), "defaults"};
    }
    if (options.snapshot->count() > 0) {
        const Snapshot snapshot = command::snapshotNamed(options.snapshot->as<std::string>());
        return {command::asGainFile(command::gainsOf(snapshot)), "snapshot"};
    }
    return {command::loadGainFile(options.file->as<std::string>(), out), "file"};
}

} // namespace

void setupVersion(CLI::App& app, Command& chosen) {
    CLI::App* version = app.add_subcommand("version", "Print the firmware model and version");
    version->footer(
        "Lines \"model N\" and \"version V\". The query (92 00) also turns automatic return off.");
    onChosen(*version, chosen, command::version);
}

void setupRead(CLI::App& app, Command& chosen) {
    CLI::App* read =
        app.add_subcommand("read", "Print all 21 gains, \"name value\" one a line, in grid order");
    onChosen(*read, chosen, command::read);
}

void setupGet(CLI::App& app, Command& chosen) {
    auto options = std::make_shared<GetOptions>();
    CLI::App* get = app.add_subcommand("get", "Print the named gains, \"name value\" one a line");
    get->add_option("NAME", options->names, "gain names")->required();
    onChosen(*get, chosen, [options](Output& out) -> Action {
        return [&out, indices = parseGainNames(options->names)](Line& line) {
            return command::get(line.controller, indices, out);
        };
    });
}

void setupSet(CLI::App& app, Command& chosen) {
    auto options = std::make_shared<SetOptions>();
    CLI::App* set = app.add_subcommand("set", "Change gains: read their rows, send each changed row");
    set->add_option("NAME=VALUE", options->assignments, "gains and their new values, 0 to 255")->required();
    set->footer("Reads only the read-back block that holds the changed rows. Each changed row waits for its\n"
                "acknowledgement. Prints \"name before after\" per changed gain.\n"
                "The controller keeps the change until power-off; run save to keep it.");
    onChosen(*set, chosen, [options](Output& out) -> Action {
        return [&out, assignments = parseAssignments(options->assignments)](Line& line) {
            return command::set(line.controller, assignments, out);
        };
    });
}

void setupSave(CLI::App& app, Command& chosen) {
    CLI::App* save = app.add_subcommand("save", "Save to flash, wait for the ack, read back and verify");
    save->footer("Prints \"saved\". A read-back gain that differs from what was held before the save is\n"
                 "printed as \"name controller expected\" and the exit status is 4.");
    onChosen(*save, chosen, command::save);
}

void setupBackup(CLI::App& app, Command& chosen) {
    auto options = std::make_shared<FileOptions>();
    CLI::App* backup = app.add_subcommand("backup", "Write all gains into a gain file");
    backup->add_option("FILE", options->file, "the gain file to write")->required();
    backup->footer("The header names the firmware (the query also turns automatic return off) and the date.");
    onChosen(*backup, chosen, [options](Output& out) -> Action {
        return [&out, options](Line& line) { return command::backup(line.controller, options->file, out); };
    });
}

void setupRestore(CLI::App& app, Command& chosen) {
    auto options = std::make_shared<SourceOptions>();
    CLI::App* restore = app.add_subcommand("restore", "Send every row in which the file differs");
    options->file = restore->add_option("FILE", "the gain file to read");
    options->snapshot = addSnapshot(*restore);
    restore->add_flag("--save", options->save, "then save to flash and verify");
    restore->footer(
        "A gain the file leaves out keeps the controller's value; unknown names are warned about.\n"
        "Prints \"name before after\" per changed gain. Give FILE or --snapshot ID.");
    onChosen(*restore, chosen, [options](Output& out) -> Action {
        return [&out, thenSave = options->save,
                source = chosenSource(*options, "FILE or --snapshot ID", out)](Line& line) {
            return command::restore(line.controller, source.gains, thenSave, out);
        };
    });
}

void setupDiff(CLI::App& app, Command& chosen) {
    auto options = std::make_shared<SourceOptions>();
    CLI::App* diff = app.add_subcommand("diff", "Compare a gain file with the controller");
    options->file = diff->add_option("FILE", "the gain file to compare");
    options->snapshot = addSnapshot(*diff);
    diff->add_flag("--defaults", options->defaults, "the default gains instead");
    diff->footer("One line per differing gain: \"name controller file\", e.g. \"pitch.level 35 40\".\n"
                 "Exit status 4 when any differ, 0 when none. Gains the file leaves out are not compared.\n"
                 "Give one of FILE, --snapshot ID or --defaults; --json names the other side \"file\",\n"
                 "\"snapshot\" or \"defaults\".");
    onChosen(*diff, chosen, [options](Output& out) -> Action {
        return [&out, source = chosenSource(*options, "FILE, --snapshot ID or --defaults", out)](Line& line) {
            return command::diff(line.controller, source.gains, source.name, out);
        };
    });
}

} // namespace tq37r::cli
