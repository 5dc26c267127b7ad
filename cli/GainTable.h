#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/GainFile.h"
#include "device/Reply.h"
#include "device/Requests.h"

namespace tq37r::cli {

// The 21 gains in grid order form seven rows of three, one row per set request:
// row r holds gains 3r .. 3r+2 and is sent as GainGroup r.
inline constexpr std::size_t kRowCount = kGainCount / 3;
inline constexpr std::array<std::string_view, kRowCount> kRowNames{"Pitch", "Roll", "Heading", "Other",
                                                                   "X",     "Y",    "Height"};

inline GainGroup rowGroup(std::size_t row) {
    return static_cast<GainGroup>(row);
}
inline std::size_t rowOf(std::size_t gainIndex) {
    return gainIndex / 3;
}

Gains gainsFromBlocks(const reply::GainBlock1& first, const reply::GainBlock2& second);

std::optional<std::size_t> findGain(std::string_view name);

struct GainAssignment {
    std::size_t index = 0;
    std::uint8_t value = 0;
};

// "name=value" arguments; throws a usage error naming the first bad one.
std::vector<GainAssignment> parseAssignments(const std::vector<std::string>& arguments);
// Gain names; throws a usage error for one that is not a gain.
std::vector<std::size_t> parseGainNames(const std::vector<std::string>& names);

} // namespace tq37r::cli
