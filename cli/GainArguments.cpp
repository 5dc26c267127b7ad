#include "cli/GainArguments.h"

#include <array>
#include <optional>
#include <string_view>

#include "cli/CommandError.h"
#include "core/GainFile.h"
#include "device/GainTable.h"

namespace tq37r::cli {

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
            throw CommandError(kExitUsage, std::string(kGains[index].fileName) + " is given twice");
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
