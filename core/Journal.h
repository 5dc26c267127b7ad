#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/JournalFormat.h"

namespace tq37r {

// Past its limit the oldest entries go, down to what is kept; a labelled snapshot never does.
struct JournalLimits {
    std::uintmax_t limit = std::uintmax_t{32} << 20;
    std::uintmax_t kept = std::uintmax_t{24} << 20;
};
// A label is a short note for a person.
inline constexpr std::size_t kMaxLabelLength = 200;

// Where the tool keeps its data: $TQ37R_DATA_DIR when set; else $XDG_DATA_HOME/tq37r-params
// (~/.local/share/tq37r-params) on Linux, %LOCALAPPDATA%\tq37r-params on Windows.
std::filesystem::path dataFolder();

// The tuning history: one JSON object a line in `journal.jsonl` of a folder, appended by every
// program of the user's that talks to a controller. Writing never stops the tool: an entry
// that cannot be written is said once, through onFailure, and the tool works on.
class Journal final : public JournalSink {
public:
    Journal(std::filesystem::path folder, std::string program, JournalLimits limits = {});

    void record(const JournalEntry& entry) override;
    // Hears, once, why an entry could not be written.
    void onFailure(std::function<void(const std::string& why)> told) { onFailure_ = std::move(told); }
    const std::filesystem::path& path() const { return path_; }
    // The id given to the last snapshot written, "" before any.
    const std::string& lastSnapshotId() const { return lastSnapshotId_; }

private:
    void failed(const std::string& why);
    void rotate();

    std::filesystem::path folder_;
    std::filesystem::path path_;
    std::string program_;
    JournalLimits limits_;
    std::function<void(const std::string&)> onFailure_;
    bool failureTold_ = false;
    std::uintmax_t rotatedTo_ = 0; // the size the last rotation left
    std::string lastSnapshotId_;
};

struct JournalContents {
    std::vector<JournalRecord> records; // oldest first
    std::size_t skipped = 0;            // lines that were no JSON object (torn, or no journal's)
};

// The whole journal; an absent file is an empty one.
JournalContents readJournal(const std::filesystem::path& path);

struct Snapshot {
    JournalRecord record;
    std::string label; // the latest the operator gave it
};

// The snapshots, newest first, at most `limit` of them (0: all), only those taken on `port`
// when it is not empty. Lines are read from the end and only the ones a list needs are parsed,
// so a short list of a long journal is quick.
std::vector<Snapshot> readSnapshots(const std::filesystem::path& path, std::size_t limit = 0,
                                    std::string_view port = {});

// The snapshot an id names: the whole id, or its first characters (at least 4) when no other
// id starts with them; otherwise why not ("names no snapshot", "names 2 snapshots: ...").
const Snapshot* findSnapshot(const std::vector<Snapshot>& snapshots, std::string_view id, std::string& why);

// What is wrong with a label, "" when nothing is.
std::string labelProblem(std::string_view label);

} // namespace tq37r
