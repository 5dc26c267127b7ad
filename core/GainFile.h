#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ParamFields.h"

namespace tq37r {

// Gain files: the 21 control-loop gains as "name = value" text that people can read, diff
// and keep in version control. This library stands alone so a command-line tool can link it
// without the dialog.

struct GainName {
    std::string_view name;
    std::int32_t ParamFields::*field;
};

inline constexpr std::size_t kGainCount = 21;

// Grid order, which is also the order files are written in.
inline constexpr std::array<GainName, kGainCount> kGainNames{{
    {"pitch.level", &ParamFields::pitchLevelCoef},
    {"pitch.stability_continue", &ParamFields::pitchStabilityContinue},
    {"pitch.stability", &ParamFields::pitchStabilityCoef},
    {"roll.level", &ParamFields::rollLevelCoef},
    {"roll.stability_continue", &ParamFields::rollStabilityContinue},
    {"roll.stability", &ParamFields::rollStabilityCoef},
    {"heading.locking", &ParamFields::headingLockingCoef},
    {"heading.locking_continue", &ParamFields::headingLockingContinue},
    {"heading.stability", &ParamFields::headingStabilityCoef},
    {"other.altitude_compensation", &ParamFields::altitudeCompensation},
    {"other.speed", &ParamFields::speedControl},
    {"other.third", &ParamFields::otherThird},
    {"x.p", &ParamFields::xP},
    {"x.i", &ParamFields::xI},
    {"x.d", &ParamFields::xD},
    {"y.p", &ParamFields::yP},
    {"y.i", &ParamFields::yI},
    {"y.d", &ParamFields::yD},
    {"height.p", &ParamFields::heightP},
    {"height.i", &ParamFields::heightI},
    {"height.d", &ParamFields::heightD},
}};

using Gains = std::array<std::uint8_t, kGainCount>;

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
    // The gains the file did not give; views into kGainNames.
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
