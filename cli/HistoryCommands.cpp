// The commands on the tuning history: what was read, set and saved, kept by every program that
// talks to a controller. None of them opens a port.
#include <algorithm>

#include "cli/CommandError.h"
#include "cli/Commands.h"

namespace tq37r::cli::command {

Journal toolJournal() {
    return Journal(dataFolder(), "tq37r-cli");
}

Snapshot snapshotNamed(const std::string& id) {
    const std::vector<Snapshot> snapshots = readSnapshots(toolJournal().path());
    std::string why;
    const Snapshot* found = findSnapshot(snapshots, id, why);
    if (found == nullptr) {
        throw CommandError(kExitUsage, why);
    }
    return *found;
}

GainFileRead asGainFile(const Gains& gains) {
    GainFileRead read;
    std::copy(gains.begin(), gains.end(), read.values.begin());
    return read;
}

Gains gainsOf(const Snapshot& snapshot) {
    // A snapshot gives every gain: the journal reads no other as one.
    Gains gains{};
    for (std::size_t i = 0; i < kGainCount; ++i) {
        gains[i] = snapshot.record.entry.gains->at(i).value_or(0);
    }
    return gains;
}

int history(std::size_t limit, const std::string& port, Output& out) {
    out.snapshots(readSnapshots(toolJournal().path(), limit, port));
    return kExitDone;
}

int historyShow(const Snapshot& snapshot, Output& out) {
    out.gains(allValues(gainsOf(snapshot)));
    return kExitDone;
}

int historyDiff(const Gains& first, const Gains& second, Output& out) {
    const std::vector<GainPair> differing = differences(first, second);
    out.pairs("differences", "first", "second", differing);
    return differing.empty() ? kExitDone : kExitDifferent;
}

int historyLabel(const Snapshot& snapshot, const std::string& label, Output& out) {
    Journal journal = toolJournal();
    std::string failure;
    journal.onFailure([&failure](const std::string& why) { failure = why; });
    JournalEntry entry;
    entry.kind = JournalEntry::Kind::Label;
    entry.snapshot = snapshot.record.id;
    entry.label = label;
    journal.record(entry);
    // Unlike a controller command's entries, the label is all this command does.
    if (!failure.empty()) {
        throw CommandError(kExitBadFile, "the tuning history cannot be written: " + failure);
    }
    out.note("snapshot", snapshot.record.id);
    out.note("label", label);
    return kExitDone;
}

int historyLog(std::size_t limit, Output& out) {
    JournalContents contents = readJournal(toolJournal().path());
    // A kind a newer version wrote, or a snapshot short of gains, is no entry this one can tell.
    const auto unknown = std::remove_if(contents.records.begin(), contents.records.end(),
                                        [](const JournalRecord& r) { return !r.knownKind; });
    const auto skipped = contents.skipped + static_cast<std::size_t>(contents.records.end() - unknown);
    contents.records.erase(unknown, contents.records.end());
    if (limit != 0 && contents.records.size() > limit) {
        contents.records.erase(contents.records.begin(),
                               contents.records.end() - static_cast<std::ptrdiff_t>(limit));
    }
    out.journalEntries(contents.records);
    if (skipped != 0) {
        out.warning(std::to_string(skipped) +
                    (skipped == 1 ? " line of the journal was" : " lines of the journal were") +
                    " skipped (torn or unknown)");
        out.note("skipped", static_cast<long>(skipped));
    }
    return kExitDone;
}

} // namespace tq37r::cli::command
