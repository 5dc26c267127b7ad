#include <gtest/gtest.h>

#include "device/Reply.h"
#include "tests/support/FrameBytes.h"

namespace tq37r {
namespace {

using test::Bytes;
using test::makeFrame;

std::string decoded(std::uint8_t code, const Bytes& payload) {
    return test::describe(decodeReply(makeFrame(code, payload)));
}

TEST(ReplyDecoding, EachReplyShowsWhatItsBytesMean) {
    const struct {
        std::uint8_t code;
        Bytes payload;
        const char* shown;
    } replies[] = {
        // Signed tenths, four columns wide; a failed self-test shows nothing.
        {0x81, {0x00, 0x05, 0xF6, 0x7F}, "X= 0.5,Y=-1.0,Z=12.7 /30"},
        {0x81, {0x00, 0x80, 0x00, 0x01}, "X=-12.8,Y= 0.0,Z= 0.1 /30"},
        {0x81, {0x01, 0x05, 0xF6, 0x7F}, "failed"},
        {0x93, {0x05, 0x7B}, "TQ-5 Firmware version: 1.23 /60"},
        {0x93, {0xFF, 0xFF}, "TQ-255 Firmware version: 2.55 /60"},
        // Unsigned 16 bits, high byte first, after a byte the tool skips.
        {0xBB, {0x00, 0x01, 0x2C, 0x00, 0x64}, "300 100 读取飞行参数成功！ /20"},
        {0xBB, {0x99, 0xFF, 0xFF, 0x80, 0x00}, "65535 32768 读取飞行参数成功！ /20"},
        {0xDD, {0x81}, "item 3 读取混控模式成功！ /20"},
        {0xDD, {0x02}, "item -1 读取混控模式成功！ /20"},
        // Gains are unsigned bytes (their places are the gain table's).
        {0xED, {0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5}, "243 244 245 240 241 242 Read TQ-36R OK！ /20"},
        // Mode in bits 0-1, task in bits 2-3; a task byte of 16 or more means none.
        {0xF1, {0x00, 0x06, 0x08}, "mode 2 task 2"},
        {0xF1, {0x00, 0x01, 0x0F}, "mode 1 task 3"},
        {0xF1, {0x00, 0xFF, 0x10}, "mode 3 task 255"},
        {0xFA, {0xE4}, "ack E4 Pitch control set OK！ /20"},
        {0xFA, {0xE7}, "ack E7 X PID set OK！ /20"},
        {0xFA, {0xE6}, "ack E6 Y PID set OK！ /20"},
        {0xFA, {0xE0}, "ack E0 Other control set OK！ /20"},
        {0xFA, {0xE1}, "ack E1 Height control set OK！ /20"},
        {0xFA, {0xE3}, "ack E3 Heading control set OK！ /20"},
        {0xFA, {0xE5}, "ack E5 Roll control set OK！ /20"},
        {0xFA, {0x86}, "ack 86 Save configuration parameters success！ /20"},
        {0xFA, {0x92}, "ack 92 设置是否自动返航成功！ /20"},
        {0xFA, {0xB1}, "ack B1 设置目标高度成功！ /20"},
        {0xFA, {0xB2}, "ack B2 设置盘旋半径成功！ /20"},
        {0xFA, {0xD1}, "ack D1 设置混控模式成功！ /20"},
        {0xFA, {0xD2}, "ack D2 none"},
        {0xF2, {0x01, 0x2C, 0x3C}, "ignored"},
        {0xF3, {0x04, 0xA6}, "ignored"},
    };
    for (const auto& r : replies) {
        EXPECT_EQ(decoded(r.code, r.payload), r.shown) << int(r.code);
    }
}

// A frame too short for its code is ignored rather than decoded from bytes an older frame left.
TEST(ReplyDecoding, OnlyFramesLongEnoughForTheirCodeAreDecoded) {
    const std::pair<std::uint8_t, std::size_t> layouts[] = {{0x81, 4},  {0x93, 2}, {0xBB, 5}, {0xDD, 1},
                                                            {0xEB, 18}, {0xED, 6}, {0xF1, 3}, {0xFA, 1}};
    for (const auto& [code, needed] : layouts) {
        EXPECT_EQ(decoded(code, Bytes(needed - 1)), "ignored") << int(code);
        EXPECT_NE(decoded(code, Bytes(needed)), "ignored") << int(code);
        EXPECT_NE(decoded(code, Bytes(needed + 3)), "ignored") << int(code);
    }
}

} // namespace
} // namespace tq37r
