// Arbitrary bytes as a line of the tuning history: read without harm, and what is read of it
// is written and read again to the same entry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/JournalFormat.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tq37r;
    const std::optional<JournalRecord> read =
        parseJournalLine(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!read || !read->knownKind) {
        return 0;
    }
    const std::optional<JournalRecord> again =
        parseJournalLine(formatJournalLine(read->entry, read->time, read->program, read->id));
    require(again && again->knownKind && again->kindName == read->kindName && again->id == read->id);
    const JournalEntry& a = read->entry;
    const JournalEntry& b = again->entry;
    require(a.gains == b.gains && a.port == b.port && a.firmware == b.firmware && a.file == b.file);
    require(a.kind != JournalEntry::Kind::Set || (a.row == b.row && a.before == b.before && a.after == b.after));
    require(a.verdict.has_value() == b.verdict.has_value());
    return 0;
}
