#include "cli/GainTable.h"

#include "cli/CommandError.h"

namespace tq37r::cli {

Gains gainsFromBlocks(const reply::GainBlock1& first, const reply::GainBlock2& second) {
    ParamFields fields;
    fields.pitchLevelCoef = first.pitchLevelCoef;
    fields.pitchStabilityContinue = first.pitchStabilityContinue;
    fields.pitchStabilityCoef = first.pitchStabilityCoef;
    fields.rollLevelCoef = first.rollLevelCoef;
    fields.rollStabilityContinue = first.rollStabilityContinue;
    fields.rollStabilityCoef = first.rollStabilityCoef;
    fields.headingLockingCoef = first.headingLockingCoef;
    fields.headingLockingContinue = first.headingLockingContinue;
    fields.headingStabilityCoef = first.headingStabilityCoef;
    fields.altitudeCompensation = first.altitudeCompensation;
    fields.speedControl = first.speedControl;
    fields.otherThird = first.otherThird;
    fields.heightP = first.heightP;
    fields.heightI = first.heightI;
    fields.heightD = first.heightD;
    fields.xP = second.xP;
    fields.xI = second.xI;
    fields.xD = second.xD;
    fields.yP = second.yP;
    fields.yI = second.yI;
    fields.yD = second.yD;
    Gains gains{};
    for (std::size_t i = 0; i < kGainCount; ++i) {
        // The blocks carry single bytes, so every field is 0..255.
        gains[i] = static_cast<std::uint8_t>(fields.*kGainNames[i].field);
    }
    return gains;
}

std::optional<std::size_t> findGain(std::string_view name) {
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (kGainNames[i].name == name) {
            return i;
        }
    }
    return std::nullopt;
}

namespace {

std::size_t knownGain(std::string_view name) {
    const std::optional<std::size_t> index = findGain(name);
    if (!index) {
        throw CommandError(kExitUsage, "\"" + std::string(name) + "\" is not a gain name (see --help)");
    }
    return *index;
}

} // namespace

std::vector<GainAssignment> parseAssignments(const std::vector<std::string>& arguments) {
    std::vector<GainAssignment> assignments;
    std::array<bool, kGainCount> given{};
    for (const std::string& argument : arguments) {
        const std::size_t equals = argument.find('=');
        if (equals == std::string::npos) {
            throw CommandError(kExitUsage, "\"" + argument + "\" is not NAME=VALUE");
        }
        const std::size_t index = knownGain(std::string_view(argument).substr(0, equals));
        const std::optional<std::uint8_t> value =
            parseGainValue(std::string_view(argument).substr(equals + 1));
        if (!value) {
            throw CommandError(kExitUsage,
                               "\"" + argument + "\": the value must be a whole number from 0 to 255");
        }
        if (given[index]) {
            throw CommandError(kExitUsage, std::string(kGainNames[index].name) + " is given twice");
        }
        given[index] = true;
        assignments.push_back({index, *value});
    }
    return assignments;
}

std::vector<std::size_t> parseGainNames(const std::vector<std::string>& names) {
    std::vector<std::size_t> indices;
    for (const std::string& name : names) {
        indices.push_back(knownGain(name));
    }
    return indices;
}

} // namespace tq37r::cli
