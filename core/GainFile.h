#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/GainTable.h"

namespace tq37r {

// Gain files: the 21 control-loop gains as "name = value" text that people can read, diff
// and keep in version control, in grid order under their file names (device/GainTable.h).
// This library stands alone so a command-line tool can link it without the dialog.

struct GainFileHeader {
    std::string firmware; // e.g. "TQ-37 firmware 1.20"; empty when unknown
    std::string date;     // e.g. "2026-12-06"; empty to leave out
};

// The whole file, "\n" line ends: a commented header, a blank line, one gain per line.
std::string writeGainFile(const Gains& gains, const GainFileHeader& header);

struct GainFileError {
    std::size_t line = 0; // 1-based
    std::string message;
};

struct UnknownGain {
    std::string name;
    std::size_t line = 0;
};

// A file of nothing but unknown names must not cost many times its size in memory, nor
// a person thousands of lines to read; names past this many are only counted.
inline constexpr std::size_t kUnknownNamesKept = 100;

struct GainFileRead {
    // Set when the file is refused; everything below is then empty and nothing applies.
    std::optional<GainFileError> error;
    // Grid order.
    std::array<std::optional<std::uint8_t>, kGainCount> values;
    // Names this program does not know, e.g. from other firmware; never applied.
    std::vector<UnknownGain> unknownNames;
    std::size_t unknownNamesNotKept = 0;
    // The gains the file did not give; views into kGains.
    std::vector<std::string_view> missingNames;

    bool accepted() const { return !error; }
};

// A gain as a person writes it: decimal digits only, 0 to 255.
std::optional<std::uint8_t> parseGainValue(std::string_view text);

// Reads any text in one pass and never throws on bad input.
GainFileRead readGainFile(std::string_view text);

// One line per problem, for a person: the refusal, or the unknown and then the missing names.
std::vector<std::string> describeGainFileProblems(const GainFileRead& read);

} // namespace tq37r
