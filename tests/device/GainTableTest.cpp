#include <gtest/gtest.h>

#include "device/Reply.h"
#include "device/Requests.h"
#include "tests/support/FrameBytes.h"

namespace tq37r {
namespace {

// The controller's layout of the 21 gains, written out once from its own tables: the gain's
// name in a gain file, what the window calls it, its default, the Set request of its row, and
// the reply and payload byte that read it back. Every use of the layout derives from the table
// this pins.
TEST(GainTable, IsTheControllersLayout) {
    const struct {
        const char* name;
        const char* label;
        int defaultValue;
        std::uint8_t setCode;
        std::uint8_t readBackCode;
        std::size_t payloadByte;
    } layout[] = {
        {"pitch.level", "Pitch Level Coefficient", 35, 0xE4, 0xEB, 12},
        {"pitch.stability_continue", "Pitch Stability Continue", 0, 0xE4, 0xEB, 13},
        {"pitch.stability", "Pitch Stability Coefficient", 30, 0xE4, 0xEB, 14},
        {"roll.level", "Roll Level Coefficient", 35, 0xE5, 0xEB, 15},
        {"roll.stability_continue", "Roll Stability Continue", 0, 0xE5, 0xEB, 16},
        {"roll.stability", "Roll Stability Coefficient", 30, 0xE5, 0xEB, 17},
        {"heading.locking", "Heading Locking Coefficient", 15, 0xE3, 0xEB, 9},
        {"heading.locking_continue", "Heading Locking Continue", 45, 0xE3, 0xEB, 10},
        {"heading.stability", "Heading Stability Coefficient", 60, 0xE3, 0xEB, 11},
        {"other.altitude_compensation", "Altitude Compensation", 5, 0xE0, 0xEB, 0},
        {"other.speed", "Speed Control", 5, 0xE0, 0xEB, 1},
        {"other.third", "Other Control third gain", 0, 0xE0, 0xEB, 2},
        {"x.p", "X P", 15, 0xE7, 0xED, 3},
        {"x.i", "X I", 1, 0xE7, 0xED, 4},
        {"x.d", "X D", 8, 0xE7, 0xED, 5},
        {"y.p", "Y P", 15, 0xE6, 0xED, 0},
        {"y.i", "Y I", 1, 0xE6, 0xED, 1},
        {"y.d", "Y D", 8, 0xE6, 0xED, 2},
        {"height.p", "Height P", 15, 0xE1, 0xEB, 3},
        {"height.i", "Height I", 1, 0xE1, 0xEB, 4},
        {"height.d", "Height D", 10, 0xE1, 0xEB, 5},
    };
    ASSERT_EQ(std::size(layout), kGainCount);
    // Read-backs whose payload byte n is 100 + n, unsigned, so every position can be told apart.
    test::Bytes payload(18);
    for (std::size_t n = 0; n < payload.size(); ++n) {
        payload[n] = static_cast<std::uint8_t>(100 + n);
    }
    const auto first = std::get<reply::GainReadBack>(decodeReply(test::makeFrame(0xEB, payload)));
    const auto second = std::get<reply::GainReadBack>(
        decodeReply(test::makeFrame(0xED, test::Bytes(payload.begin(), payload.begin() + 6))));
    for (std::size_t i = 0; i < kGainCount; ++i) {
        const auto& want = layout[i];
        EXPECT_EQ(kGains[i].fileName, want.name);
        EXPECT_EQ(kGains[i].label, want.label) << want.name;
        EXPECT_EQ(kGains[i].defaultValue, want.defaultValue) << want.name;
        EXPECT_EQ(findGain(want.name), i);
        const GainGroup row = rowOfGain(i).group;
        EXPECT_EQ(request::setGainRow(row, 0, 0, 0).code, want.setCode) << want.name;
        const reply::GainReadBack& readBack = want.readBackCode == 0xEB ? first : second;
        EXPECT_TRUE(readBack.carries(i)) << want.name;
        EXPECT_EQ(readBack.values[i], 100 + want.payloadByte) << want.name;
    }
}

} // namespace
} // namespace tq37r
