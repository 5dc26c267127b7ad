#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tq37r {

// The controller's 21 control-loop gains, the one place their layout is written down. The
// grid shows them in seven rows of three, in this order; every other use (the dialog's
// fields, gain files, read-back decoding, the command line's rows, the simulator) is
// derived from these two tables.

// A row of three gains, sent by its own Set request.
enum class GainGroup : std::uint8_t { Pitch, Roll, Heading, Other, X, Y, Height };

// The two read-back replies: 0xEB answers the first read request, 0xED the second.
enum class GainBlock : std::uint8_t { First, Second };

inline constexpr std::size_t kGainsPerRow = 3;

struct GainRow {
    GainGroup group;
    std::string_view name;      // what a person calls the row
    std::uint8_t setCode;       // its Set request, which the controller acknowledges by code
    std::string_view setOkText; // the status text of that acknowledgement
    GainBlock block;            // the read-back that carries it
    std::uint8_t offset;        // where its three bytes start in that reply's payload
};

// Grid order; within a row the three gains go out, and come back, left to right.
inline constexpr std::array<GainRow, 7> kGainRows{{
    {GainGroup::Pitch, "Pitch", 0xE4, "Pitch control set OK！", GainBlock::First, 12},
    {GainGroup::Roll, "Roll", 0xE5, "Roll control set OK！", GainBlock::First, 15},
    {GainGroup::Heading, "Heading", 0xE3, "Heading control set OK！", GainBlock::First, 9},
    {GainGroup::Other, "Other", 0xE0, "Other control set OK！", GainBlock::First, 0},
    {GainGroup::X, "X", 0xE7, "X PID set OK！", GainBlock::Second, 3},
    {GainGroup::Y, "Y", 0xE6, "Y PID set OK！", GainBlock::Second, 0},
    {GainGroup::Height, "Height", 0xE1, "Height control set OK！", GainBlock::First, 3},
}};

struct GainInfo {
    std::string_view fileName; // its name in a gain file and on the command line
    std::string_view label;    // what the window calls it
    std::uint8_t defaultValue; // what "Restore Default Parameters" puts in the grid
};

inline constexpr std::size_t kGainCount = kGainRows.size() * kGainsPerRow;

// Grid order: gain i sits in row i / 3.
inline constexpr std::array<GainInfo, kGainCount> kGains{{
    {"pitch.level", "Pitch Level Coefficient", 35},
    {"pitch.stability_continue", "Pitch Stability Continue", 0},
    {"pitch.stability", "Pitch Stability Coefficient", 30},
    {"roll.level", "Roll Level Coefficient", 35},
    {"roll.stability_continue", "Roll Stability Continue", 0},
    {"roll.stability", "Roll Stability Coefficient", 30},
    {"heading.locking", "Heading Locking Coefficient", 15},
    {"heading.locking_continue", "Heading Locking Continue", 45},
    {"heading.stability", "Heading Stability Coefficient", 60},
    {"other.altitude_compensation", "Altitude Compensation", 5},
    {"other.speed", "Speed Control", 5},
    {"other.third", "Other Control third gain", 0},
    {"x.p", "X P", 15},
    {"x.i", "X I", 1},
    {"x.d", "X D", 8},
    {"y.p", "Y P", 15},
    {"y.i", "Y I", 1},
    {"y.d", "Y D", 8},
    {"height.p", "Height P", 15},
    {"height.i", "Height I", 1},
    {"height.d", "Height D", 10},
}};

// The 21 gains as the controller holds them, in grid order.
using Gains = std::array<std::uint8_t, kGainCount>;

constexpr const GainRow& rowOf(GainGroup group) {
    return kGainRows[static_cast<std::size_t>(group)];
}
constexpr const GainRow& rowOfGain(std::size_t gain) {
    return kGainRows[gain / kGainsPerRow];
}
constexpr std::size_t firstGainOf(GainGroup group) {
    return static_cast<std::size_t>(group) * kGainsPerRow;
}
// Where gain i's byte sits in its read-back reply's payload.
constexpr std::size_t readBackOffset(std::size_t gain) {
    return rowOfGain(gain).offset + gain % kGainsPerRow;
}
// The row a Set code sends; nullopt for any other code.
constexpr std::optional<GainGroup> groupOfSetCode(std::uint8_t code) {
    for (const GainRow& row : kGainRows) {
        if (row.setCode == code) {
            return row.group;
        }
    }
    return std::nullopt;
}
// The gain a file or command-line name stands for.
constexpr std::optional<std::size_t> findGain(std::string_view fileName) {
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (kGains[i].fileName == fileName) {
            return i;
        }
    }
    return std::nullopt;
}

constexpr Gains defaultGains() {
    Gains gains{};
    for (std::size_t i = 0; i < kGainCount; ++i) {
        gains[i] = kGains[i].defaultValue;
    }
    return gains;
}

// The largest payload offset either read-back uses, plus one: what a reply must carry.
constexpr std::size_t readBackPayloadSize(GainBlock block) {
    std::size_t size = 0;
    for (const GainRow& row : kGainRows) {
        if (row.block == block && row.offset + kGainsPerRow > size) {
            size = row.offset + kGainsPerRow;
        }
    }
    return size;
}

// A read-back reply's payload carrying `gains`, as the controller sends it (bytes no row uses are 0).
template <GainBlock block>
constexpr std::array<std::uint8_t, readBackPayloadSize(block)> readBackPayload(const Gains& gains) {
    std::array<std::uint8_t, readBackPayloadSize(block)> payload{};
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (rowOfGain(i).block == block) {
            payload[readBackOffset(i)] = gains[i];
        }
    }
    return payload;
}

// "1 gain", "3 gains", as every face counts them.
inline std::string gainCount(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " gain" : " gains");
}

} // namespace tq37r
