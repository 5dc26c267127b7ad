#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/GainTable.h"
#include "session/SaveCheck.h"

namespace tq37r {

// The gains an entry of the tuning history gives, in grid order; a gain it does not give is
// empty (a gain file that leaves one out).
using JournalGains = std::array<std::optional<std::uint8_t>, kGainCount>;

// One event that changed or revealed what the controller holds, or the grid's tuning, as the
// tuning history keeps it. The session tells what happened on the line; a face tells what
// happened in its grid (a file, the defaults) and what the operator labels.
struct JournalEntry {
    enum class Kind {
        Read,       // both gain blocks of one read: a snapshot
        Set,        // a row sent and acknowledged
        Save,       // a save and its verdict; a snapshot when verified
        FileLoaded, // a gain file into the grid
        FileSaved,  // the grid into a gain file
        Defaults,   // the default gains into the grid
        Label,      // the operator's words for a snapshot
    };
    Kind kind = Kind::Read;

    // The line, when there was one.
    std::string port;   // "COM3", or a device path as given
    std::string device; // what it stood for
    std::uint32_t baud = 0;
    std::string firmware; // as the controller last told it, "" when it has not

    std::optional<JournalGains> gains; // Read, a verified Save, a file, the defaults
    std::optional<GainGroup> row;      // Set: which row, what the controller held, what it took
    std::array<std::optional<std::uint8_t>, kGainsPerRow> before{};
    std::array<std::uint8_t, kGainsPerRow> after{};
    std::optional<SaveVerdict> verdict; // Save
    std::string file;                   // FileLoaded, FileSaved: its path
    std::string snapshot;               // Label: the snapshot's id
    std::string label;                  // Label

    // Whether the entry is a snapshot: all 21 gains at one moment, to go back to.
    bool isSnapshot() const {
        return kind == Kind::Read || (kind == Kind::Save && verdict && verdict->kind == SaveVerdict::Kind::Verified);
    }
};

// Where a session's entries go; the tuning history's file behind it belongs to a face.
class JournalSink {
public:
    virtual void record(const JournalEntry& entry) = 0;

protected:
    ~JournalSink() = default;
};

} // namespace tq37r
