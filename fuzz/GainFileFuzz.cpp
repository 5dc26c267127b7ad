// Arbitrary bytes as a gain file: a refusal points at a line that exists and applies
// nothing; an acceptance accounts for every gain, and one in every few survives being written
// and read again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/GainFile.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::size_t lineCount(std::string_view text) {
    const auto breaks = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    return breaks + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// Writing and reading a whole file costs more than reading the input did, and what it tests
// (the values, the header taken from the input's start) varies little between neighbouring
// inputs. It is done for one accepted input in 16, picked by the input's own bytes so that a
// reproducer always repeats it.
bool roundTripFor(std::string_view text) {
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return hash % 16 == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tq37r;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t lines = lineCount(text);
    const GainFileRead read = readGainFile(text);
    const std::size_t unknownLines = read.unknownNames.size() + (read.unknownNamesNotKept != 0 ? 1 : 0);
    require(describeGainFileProblems(read).size() ==
            (read.error ? 1 : unknownLines + read.missingNames.size()));
    if (read.error) {
        require(read.error->line >= 1 && read.error->line <= lines);
        require(std::none_of(read.values.begin(), read.values.end(),
                             [](const auto& v) { return v.has_value(); }));
        require(unknownLines == 0 && read.missingNames.empty());
        return 0;
    }
    Gains gains{};
    std::size_t missing = 0;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        require(read.values[i] || (missing < read.missingNames.size() &&
                                   read.missingNames[missing++] == tq37r::kGains[i].fileName));
        gains[i] = read.values[i].value_or(0);
    }
    require(missing == read.missingNames.size());
    require(read.unknownNamesNotKept == 0 || read.unknownNames.size() == kUnknownNamesKept);
    for (const UnknownGain& unknown : read.unknownNames) {
        require(unknown.line >= 1 && unknown.line <= lines);
    }
    if (!roundTripFor(text)) {
        return 0;
    }

    const GainFileRead again =
        readGainFile(writeGainFile(gains, {std::string(text.substr(0, 64)), "2026-12-06"}));
    require(again.accepted() && again.unknownNames.empty() && again.missingNames.empty());
    for (std::size_t i = 0; i < kGainCount; ++i) {
        require(again.values[i] == gains[i]);
    }
    return 0;
}
