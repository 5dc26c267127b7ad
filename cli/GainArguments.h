#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tq37r::cli {

// Gains named on the command line by their gain-file names (device/GainTable.h).
struct GainAssignment {
    std::size_t index = 0; // grid order
    std::uint8_t value = 0;
};

// "name=value" arguments; throws a usage error naming the first bad one.
std::vector<GainAssignment> parseAssignments(const std::vector<std::string>& arguments);
// Gain names; throws a usage error for one that is not a gain.
std::vector<std::size_t> parseGainNames(const std::vector<std::string>& names);

} // namespace tq37r::cli
