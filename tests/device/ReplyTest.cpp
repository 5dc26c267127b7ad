#include <gtest/gtest.h>

#include <vector>

#include "device/Reply.h"
#include "protocol/Frame.h"
#include "tests/support/FrameBytes.h"

namespace tq37r {
namespace {

using test::Bytes;
using test::makeFrame;

template <typename T> T decodeAs(const Bytes& frameBytes) {
    const Reply reply = decodeReply(frameBytes);
    EXPECT_TRUE(std::holds_alternative<T>(reply)) << "alternative " << reply.index();
    return std::holds_alternative<T>(reply) ? std::get<T>(reply) : T{};
}

bool ignored(const Bytes& frameBytes) {
    return std::holds_alternative<reply::Ignored>(decodeReply(frameBytes));
}

TEST(ReplyDecoding, GyroResultFormatsSignedTenthsInFourColumns) {
    const Bytes frameBytes{0xA5, 0x5A, 0x08, 0x81, 0x00, 0x05, 0xF6, 0x7F, 0x03, 0xAA};
    const auto gyro = decodeAs<reply::GyroResult>(frameBytes);
    EXPECT_EQ(gyro.status.text(), "X= 0.5,Y=-1.0,Z=12.7");
    EXPECT_EQ(gyro.status.countdown(), 30);

    const auto widest = decodeAs<reply::GyroResult>(makeFrame(0x81, {0x00, 0x80, 0x00, 0x01}));
    EXPECT_EQ(widest.status.text(), "X=-12.8,Y= 0.0,Z= 0.1");

    // A failed self-test shows nothing.
    EXPECT_TRUE(ignored(makeFrame(0x81, {0x01, 0x05, 0xF6, 0x7F})));
}

TEST(ReplyDecoding, FirmwareVersionShowsModelAndHundredths) {
    const auto fw = decodeAs<reply::FirmwareVersion>({0xA5, 0x5A, 0x06, 0x93, 0x05, 0x7B, 0x19, 0xAA});
    EXPECT_EQ(fw.status.text(), "TQ-5 Firmware version: 1.23");
    EXPECT_EQ(fw.status.countdown(), 60);
    const auto high = decodeAs<reply::FirmwareVersion>(makeFrame(0x93, {0xFF, 0xFF}));
    EXPECT_EQ(high.status.text(), "TQ-255 Firmware version: 2.55");
}

TEST(ReplyDecoding, FlightParamsAreUnsignedSixteenBitValues) {
    const auto params =
        decodeAs<reply::FlightParams>({0xA5, 0x5A, 0x09, 0xBB, 0x00, 0x01, 0x2C, 0x00, 0x64, 0x55, 0xAA});
    EXPECT_EQ(params.targetAltitude, 300);
    EXPECT_EQ(params.circlingRadius, 100);
    EXPECT_EQ(params.status, StatusMessage("读取飞行参数成功！", 20));
    const auto top = decodeAs<reply::FlightParams>(makeFrame(0xBB, {0x99, 0xFF, 0xFF, 0x80, 0x00}));
    EXPECT_EQ(top.targetAltitude, 65535);
    EXPECT_EQ(top.circlingRadius, 32768);
}

TEST(ReplyDecoding, MixingModeSelectsItsItemOrNoneButAlwaysReportsSuccess) {
    const auto mode = decodeAs<reply::MixingMode>({0xA5, 0x5A, 0x05, 0xDD, 0x81, 0x63, 0xAA});
    EXPECT_EQ(mode.item, 3);
    EXPECT_EQ(mode.status, StatusMessage("读取混控模式成功！", 20));
    const auto unknown = decodeAs<reply::MixingMode>(makeFrame(0xDD, {0x02}));
    EXPECT_EQ(unknown.item, -1);
    EXPECT_EQ(unknown.status.text(), "读取混控模式成功！");
}

TEST(ReplyDecoding, GainBlocksFillTheirFieldsAsUnsignedBytes) {
    const auto b1 = decodeAs<reply::GainBlock1>(
        makeFrame(0xEB, {5, 5, 0, 15, 1, 10, 99, 98, 97, 15, 45, 60, 35, 0, 30, 200, 128, 255}));
    EXPECT_EQ(b1.altitudeCompensation, 5);
    EXPECT_EQ(b1.speedControl, 5);
    EXPECT_EQ(b1.otherThird, 0);
    EXPECT_EQ(b1.heightP, 15);
    EXPECT_EQ(b1.heightI, 1);
    EXPECT_EQ(b1.heightD, 10);
    EXPECT_EQ(b1.headingLockingCoef, 15); // P6..P8 (99, 98, 97) are skipped
    EXPECT_EQ(b1.headingLockingContinue, 45);
    EXPECT_EQ(b1.headingStabilityCoef, 60);
    EXPECT_EQ(b1.pitchLevelCoef, 35);
    EXPECT_EQ(b1.pitchStabilityContinue, 0);
    EXPECT_EQ(b1.pitchStabilityCoef, 30);
    EXPECT_EQ(b1.rollLevelCoef, 200);
    EXPECT_EQ(b1.rollStabilityContinue, 128);
    EXPECT_EQ(b1.rollStabilityCoef, 255);
    EXPECT_EQ(b1.status, StatusMessage("Read TQ-36R OK！", 20));

    const auto b2 = decodeAs<reply::GainBlock2>(makeFrame(0xED, {1, 2, 3, 4, 5, 250}));
    EXPECT_EQ((std::vector<int>{b2.yP, b2.yI, b2.yD, b2.xP, b2.xI, b2.xD}),
              (std::vector<int>{1, 2, 3, 4, 5, 250}));
    EXPECT_EQ(b2.status.text(), "Read TQ-36R OK！");
}

TEST(ReplyDecoding, StateReportTakesModeBitsAndTaskNibble) {
    auto state = decodeAs<reply::StateReport>(makeFrame(0xF1, {0x00, 0x06, 0x08}));
    EXPECT_EQ(state.flightModeState, 2);
    EXPECT_EQ(state.taskState, 2);
    state = decodeAs<reply::StateReport>(makeFrame(0xF1, {0x00, 0xFF, 0x40}));
    EXPECT_EQ(state.flightModeState, 3);
    EXPECT_EQ(state.taskState, 255);
    state = decodeAs<reply::StateReport>(makeFrame(0xF1, {0x00, 0x01, 0x0F}));
    EXPECT_EQ(state.flightModeState, 1);
    EXPECT_EQ(state.taskState, 3);
    state = decodeAs<reply::StateReport>(makeFrame(0xF1, {0x00, 0x00, 0x10}));
    EXPECT_EQ(state.taskState, 255);
}

TEST(ReplyDecoding, AcknowledgementsCarryTheirTextsAndUnlistedCodesNone) {
    const std::pair<std::uint8_t, const char*> listed[] = {
        {0x86, "Save configuration parameters success！"},
        {0x92, "设置是否自动返航成功！"},
        {0xB1, "设置目标高度成功！"},
        {0xB2, "设置盘旋半径成功！"},
        {0xD1, "设置混控模式成功！"},
        {0xE0, "Other control set OK！"},
        {0xE1, "Height control set OK！"},
        {0xE3, "Heading control set OK！"},
        {0xE4, "Pitch control set OK！"},
        {0xE5, "Roll control set OK！"},
        {0xE6, "Y PID set OK！"},
        {0xE7, "X PID set OK！"},
    };
    for (const auto& [code, text] : listed) {
        const auto ack = decodeAs<reply::Acknowledgement>(makeFrame(0xFA, {code}));
        EXPECT_EQ(ack.acknowledgedCode, code);
        ASSERT_TRUE(ack.status.has_value()) << int(code);
        EXPECT_EQ(*ack.status, StatusMessage(text, 20));
    }
    const auto pitch = decodeAs<reply::Acknowledgement>({0xA5, 0x5A, 0x05, 0xFA, 0xE4, 0xE3, 0xAA});
    EXPECT_EQ(pitch.status->text(), "Pitch control set OK！");
    for (std::uint8_t unlisted : {0x80, 0xD2, 0xD4, 0xE2, 0x00}) {
        EXPECT_FALSE(decodeAs<reply::Acknowledgement>(makeFrame(0xFA, {unlisted})).status.has_value());
    }
}

TEST(ReplyDecoding, UnknownAndUnsolicitedCodesAreIgnored) {
    for (std::uint8_t code : {0xF2, 0xF3, 0x00, 0xEA, 0xE4, 0x7F}) {
        EXPECT_TRUE(ignored(makeFrame(code, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18})))
            << int(code);
    }
}

TEST(ReplyDecoding, FramesShorterThanTheirLayoutAreIgnored) {
    const std::pair<std::uint8_t, std::size_t> layouts[] = {{0x81, 4},  {0x93, 2}, {0xBB, 5}, {0xDD, 1},
                                                            {0xEB, 18}, {0xED, 6}, {0xF1, 3}, {0xFA, 1}};
    for (const auto& [code, needed] : layouts) {
        EXPECT_TRUE(ignored(makeFrame(code, Bytes(needed - 1, 0x00)))) << int(code);
        EXPECT_FALSE(ignored(makeFrame(code, Bytes(needed, 0x00)))) << int(code);
        // Longer frames decode from the same positions.
        EXPECT_FALSE(ignored(makeFrame(code, Bytes(needed + 3, 0x00)))) << int(code);
    }
}

} // namespace
} // namespace tq37r
