#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "session/JournalEntry.h"

namespace tq37r {

// An entry of the tuning history as read back: what happened, when, by which program, and a
// snapshot's id. A kind a newer version wrote keeps its name and what this one knows of it.
struct JournalRecord {
    JournalEntry entry;
    std::string kindName; // "read", "set", "save", "file-loaded", "file-saved", "defaults", "label"
    std::string time;     // local, with its offset: "2026-12-07T17:10:00.123+01:00"
    std::string program;  // "tq37r-params" or "tq37r-cli"
    std::string id;       // a snapshot's
    bool knownKind = true;

    bool isSnapshot() const { return knownKind && entry.isSnapshot(); }
};

// One line of JSON, without its line end: the entry, stamped.
std::string formatJournalLine(const JournalEntry& entry, std::string_view time, std::string_view program,
                              std::string_view id);
// A line as written; nullopt for one that is no JSON object of the journal (a torn line).
std::optional<JournalRecord> parseJournalLine(std::string_view line);

// The row names a Set entry gives: "pitch", ..., "height".
std::string rowName(GainGroup group);
// How a Save entry names its verdict: "verified", "mismatched", "not verified".
std::string_view verdictName(SaveVerdict::Kind kind);

} // namespace tq37r
