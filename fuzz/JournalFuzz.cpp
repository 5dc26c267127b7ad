// Arbitrary bytes as a line of the tuning history: read without harm, and what is read of it
// is written and read again to the same entry. Text that is not well-formed UTF-8 is written
// with U+FFFD in its place, so text holding bytes past ASCII may come back changed, but only
// once: what was written is written again the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "core/JournalFormat.h"

namespace {

using tq37r::JournalEntry;
using tq37r::JournalRecord;
using tq37r::SaveVerdict;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Text read back: the same, or changed where it held bytes past ASCII.
class TextCheck {
public:
    bool operator()(const std::string& read, const std::string& again) {
        if (read == again) {
            return true;
        }
        changed = true;
        return std::any_of(read.begin(), read.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    }

    bool changed = false;
};

bool sameMismatches(const SaveVerdict& a, const SaveVerdict& b) {
    return std::equal(a.mismatches.begin(), a.mismatches.end(), b.mismatches.begin(), b.mismatches.end(),
                      [](const SaveVerdict::Mismatch& x, const SaveVerdict::Mismatch& y) {
                          return x.gain == y.gain && x.reads == y.reads && x.saved == y.saved;
                      });
}

std::string written(const JournalRecord& r) {
    return tq37r::formatJournalLine(r.entry, r.time, r.program, r.id);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<JournalRecord> read =
        tq37r::parseJournalLine(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!read || !read->knownKind) {
        return 0;
    }
    const std::string line = written(*read);
    const std::optional<JournalRecord> again = tq37r::parseJournalLine(line);
    require(again && again->knownKind && again->kindName == read->kindName);
    const JournalEntry& a = read->entry;
    const JournalEntry& b = again->entry;
    require(a.kind == b.kind && a.gains == b.gains && a.row == b.row);
    require(!a.row || (a.before == b.before && a.after == b.after));
    require(a.verdict.has_value() == b.verdict.has_value());
    require(!a.verdict || (a.verdict->kind == b.verdict->kind && sameMismatches(*a.verdict, *b.verdict)));
    // The line's device and rate are written with its port, a label with its snapshot.
    require(a.port.empty() || a.baud == b.baud);
    const bool label = a.kind == JournalEntry::Kind::Label;
    TextCheck same;
    require(same(read->id, again->id) && same(read->time, again->time) && same(read->program, again->program) &&
            same(a.port, b.port) && (a.port.empty() || same(a.device, b.device)) && same(a.firmware, b.firmware) &&
            same(a.file, b.file) && (!label || (same(a.snapshot, b.snapshot) && same(a.label, b.label))));
    // Changed text must have been made well-formed: writing it again changes nothing more.
    require(!same.changed || written(*again) == line);
    return 0;
}
