#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "device/Codes.h"
#include "device/Reply.h"
#include "device/Requests.h"
#include "protocol/TxFrame.h"
#include "sim/SimController.h"

namespace tq37r::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SimControllerTest : public ::testing::Test {
protected:
    SimController controller{std::nullopt, FirmwareInfo{}, 7};
    TxFrame tx;

    // Runs the request just assembled in tx through the controller.
    std::vector<WireFrame> answer(std::size_t byteCount) {
        std::vector<WireFrame> replies;
        const auto bytes = tx.bytes(byteCount);
        controller.handleRequest(bytes, replies);
        return replies;
    }

    template <typename T> T only(std::size_t byteCount) {
        const std::vector<WireFrame> replies = answer(byteCount);
        EXPECT_EQ(replies.size(), 1u);
        if (replies.size() != 1) {
            return T{};
        }
        const Reply reply = decodeReply(replies[0]);
        EXPECT_TRUE(std::holds_alternative<T>(reply)) << "alternative " << reply.index();
        return std::holds_alternative<T>(reply) ? std::get<T>(reply) : T{};
    }

    reply::GainBlock1 readBlock1() { return only<reply::GainBlock1>(request::readGainBlock1(tx)); }
    reply::GainBlock2 readBlock2() { return only<reply::GainBlock2>(request::readGainBlock2(tx)); }
    reply::StateReport report() {
        const Reply r = decodeReply(controller.stateReport());
        EXPECT_TRUE(std::holds_alternative<reply::StateReport>(r));
        return std::holds_alternative<reply::StateReport>(r) ? std::get<reply::StateReport>(r)
                                                             : reply::StateReport{};
    }
};

TEST_F(SimControllerTest, FreshControllerReadsBackTheDefaultGainsExactly) {
    // The whole frames, so a layout slip on either side shows up here.
    EXPECT_EQ(answer(request::readGainBlock1(tx)),
              (std::vector<WireFrame>{{0xA5, 0x5A, 0x16, 0xEB, 5,  5, 0,  15, 1, 10, 0,    0,
                                       0,    15,   45,   60,   35, 0, 30, 35, 0, 30, 0x1F, 0xAA}}));
    EXPECT_EQ(answer(request::readGainBlock2(tx)),
              (std::vector<WireFrame>{{0xA5, 0x5A, 0x0A, 0xED, 15, 1, 8, 15, 1, 8, 0x27, 0xAA}}));

    const reply::GainBlock1 b1 = readBlock1();
    EXPECT_EQ(b1.pitchLevelCoef, 35);
    EXPECT_EQ(b1.pitchStabilityContinue, 0);
    EXPECT_EQ(b1.pitchStabilityCoef, 30);
    EXPECT_EQ(b1.rollLevelCoef, 35);
    EXPECT_EQ(b1.rollStabilityContinue, 0);
    EXPECT_EQ(b1.rollStabilityCoef, 30);
    EXPECT_EQ(b1.headingLockingCoef, 15);
    EXPECT_EQ(b1.headingLockingContinue, 45);
    EXPECT_EQ(b1.headingStabilityCoef, 60);
    EXPECT_EQ(b1.altitudeCompensation, 5);
    EXPECT_EQ(b1.speedControl, 5);
    EXPECT_EQ(b1.otherThird, 0);
    EXPECT_EQ(b1.heightP, 15);
    EXPECT_EQ(b1.heightI, 1);
    EXPECT_EQ(b1.heightD, 10);
    EXPECT_EQ(b1.status.text(), "Read TQ-36R OK！");
    const reply::GainBlock2 b2 = readBlock2();
    EXPECT_EQ(b2.xP, 15);
    EXPECT_EQ(b2.xI, 1);
    EXPECT_EQ(b2.xD, 8);
    EXPECT_EQ(b2.yP, 15);
    EXPECT_EQ(b2.yI, 1);
    EXPECT_EQ(b2.yD, 8);
}

TEST_F(SimControllerTest, EachSetButtonIsAcknowledgedAndLandsInItsOwnRow) {
    // Distinct values per group, so a group stored in another group's slot is caught.
    const std::vector<std::pair<GainGroup, std::string_view>> groups{
        {GainGroup::Pitch, "Pitch control set OK！"},
        {GainGroup::Roll, "Roll control set OK！"},
        {GainGroup::Heading, "Heading control set OK！"},
        {GainGroup::Other, "Other control set OK！"},
        {GainGroup::X, "X PID set OK！"},
        {GainGroup::Y, "Y PID set OK！"},
        {GainGroup::Height, "Height control set OK！"}};
    std::int32_t base = 100;
    for (const auto& [group, text] : groups) {
        const auto ack =
            only<reply::Acknowledgement>(request::setGainGroup(tx, group, base, base + 1, base + 2));
        EXPECT_EQ(ack.acknowledgedCode, gainGroupCode(group));
        ASSERT_TRUE(ack.status.has_value());
        EXPECT_EQ(ack.status->text(), text);
        base += 10;
    }
    const reply::GainBlock1 b1 = readBlock1();
    const reply::GainBlock2 b2 = readBlock2();
    EXPECT_EQ(
        (std::vector<std::int32_t>{b1.pitchLevelCoef, b1.pitchStabilityContinue, b1.pitchStabilityCoef}),
        (std::vector<std::int32_t>{100, 101, 102}));
    EXPECT_EQ((std::vector<std::int32_t>{b1.rollLevelCoef, b1.rollStabilityContinue, b1.rollStabilityCoef}),
              (std::vector<std::int32_t>{110, 111, 112}));
    EXPECT_EQ((std::vector<std::int32_t>{b1.headingLockingCoef, b1.headingLockingContinue,
                                         b1.headingStabilityCoef}),
              (std::vector<std::int32_t>{120, 121, 122}));
    EXPECT_EQ((std::vector<std::int32_t>{b1.altitudeCompensation, b1.speedControl, b1.otherThird}),
              (std::vector<std::int32_t>{130, 131, 132}));
    EXPECT_EQ((std::vector<std::int32_t>{b2.xP, b2.xI, b2.xD}), (std::vector<std::int32_t>{140, 141, 142}));
    EXPECT_EQ((std::vector<std::int32_t>{b2.yP, b2.yI, b2.yD}), (std::vector<std::int32_t>{150, 151, 152}));
    EXPECT_EQ((std::vector<std::int32_t>{b1.heightP, b1.heightI, b1.heightD}),
              (std::vector<std::int32_t>{160, 161, 162}));
    // The three unused bytes are never written by a Set.
    EXPECT_EQ(controller.working().gainBlock1[6], 0);
    EXPECT_EQ(controller.working().gainBlock1[7], 0);
    EXPECT_EQ(controller.working().gainBlock1[8], 0);
}

TEST_F(SimControllerTest, FlightParametersAndMixingModeRoundTripThroughTheCodec) {
    auto params = only<reply::FlightParams>(request::readFlightParams(tx));
    EXPECT_EQ(params.targetAltitude, controller.working().targetAltitude);
    EXPECT_EQ(params.circlingRadius, controller.working().circlingRadius);
    EXPECT_EQ(answer(request::readFlightParams(tx)),
              (std::vector<WireFrame>{{0xA5, 0x5A, 0x09, 0xBB, 0x00, 0x00, 0x96, 0x00, 0x64, 0xBE, 0xAA}}));

    EXPECT_EQ(only<reply::Acknowledgement>(request::setTargetAltitude(tx, 300)).status->text(),
              "设置目标高度成功！");
    EXPECT_EQ(only<reply::Acknowledgement>(request::setCirclingRadius(tx, 65535)).status->text(),
              "设置盘旋半径成功！");
    params = only<reply::FlightParams>(request::readFlightParams(tx));
    EXPECT_EQ(params.targetAltitude, 300);
    EXPECT_EQ(params.circlingRadius, 65535);
    EXPECT_EQ(params.status.text(), "读取飞行参数成功！");

    for (int item = 3; item >= 0; --item) {
        const auto ack = only<reply::Acknowledgement>(request::setMixingMode(tx, item));
        EXPECT_EQ(ack.acknowledgedCode, code::kSetMixingMode);
        const auto mode = only<reply::MixingMode>(request::readMixingMode(tx));
        EXPECT_EQ(mode.item, item);
        EXPECT_EQ(controller.working().mixingMode, mixingModeByte(item));
    }
    // A byte that names no mode is refused: no acknowledgement, nothing stored.
    EXPECT_TRUE(answer(tx.assemble(code::kSetMixingMode, {0x02})).empty());
    EXPECT_EQ(controller.working().mixingMode, 0x00);
}

TEST_F(SimControllerTest, StateReportsFollowTheModeAndTaskRequests) {
    // Fresh controller: remote control, no task.
    EXPECT_EQ(controller.stateReport(), (WireFrame{0xA5, 0x5A, 0x07, 0xF1, 0x00, 0x00, 0x40, 0x38, 0xAA}));
    EXPECT_EQ(report().flightModeState, 0);
    EXPECT_EQ(report().taskState, 255);

    const std::vector<FlightMode> modes{FlightMode::Auto, FlightMode::Stabilised, FlightMode::Remote};
    const std::vector<Task> tasks{Task::Return, Task::Circle, Task::TakeOff, Task::Cancel};
    for (FlightMode mode : modes) {
        for (Task task : tasks) {
            EXPECT_EQ(only<reply::Acknowledgement>(request::setFlightMode(tx, mode)).acknowledgedCode,
                      code::kSetFlightMode);
            const auto taskAck = only<reply::Acknowledgement>(request::setTask(tx, task));
            EXPECT_FALSE(taskAck.status.has_value()); // the tool shows nothing for these
            const reply::StateReport r = report();
            EXPECT_EQ(r.flightModeState, static_cast<int>(mode));
            EXPECT_EQ(r.taskState, static_cast<int>(task));
        }
    }
    // Values no button sends are refused and change nothing.
    EXPECT_TRUE(answer(tx.assemble(code::kSetFlightMode, {3})).empty());
    EXPECT_TRUE(answer(tx.assemble(code::kSetTask, {7})).empty());
    EXPECT_EQ(report().flightModeState, 0);
    EXPECT_EQ(report().taskState, 255);
}

TEST_F(SimControllerTest, FirmwareRequestAlsoSwitchesAutomaticReturnOff) {
    EXPECT_EQ(only<reply::Acknowledgement>(request::autoReturnOn(tx)).status->text(),
              "设置是否自动返航成功！");
    EXPECT_TRUE(controller.working().autoReturn);

    const std::vector<WireFrame> replies = answer(request::firmwareVersion(tx));
    ASSERT_EQ(replies.size(), 2u);
    // Acknowledgement first, so the version text is the one left standing in the status line.
    EXPECT_EQ(std::get<reply::Acknowledgement>(decodeReply(replies[0])).acknowledgedCode, code::kAutoReturn);
    EXPECT_EQ(replies[1], (WireFrame{0xA5, 0x5A, 0x06, 0x93, 37, 120, 0x36, 0xAA}));
    const auto version = std::get<reply::FirmwareVersion>(decodeReply(replies[1]));
    EXPECT_EQ(version.status.text(), "TQ-37 Firmware version: 1.20");
    EXPECT_FALSE(controller.working().autoReturn);
}

TEST_F(SimControllerTest, GyroSelfTestReportsTheReadingItTook) {
    for (int i = 0; i < 20; ++i) {
        const auto gyro = only<reply::GyroResult>(request::gyroSelfTest(tx));
        const GyroReading& reading = controller.lastGyro();
        EXPECT_DOUBLE_EQ(gyro.x, reading.x * 0.1);
        EXPECT_DOUBLE_EQ(gyro.y, reading.y * 0.1);
        EXPECT_DOUBLE_EQ(gyro.z, reading.z * 0.1);
        // At rest on the bench: well within a few degrees per second, one axis below zero.
        EXPECT_LT(gyro.y, 0);
        EXPECT_LE(std::abs(gyro.x) + std::abs(gyro.y) + std::abs(gyro.z), 3.0);
    }
}

TEST_F(SimControllerTest, RequestsItDoesNotUnderstandGetNoAnswer) {
    EXPECT_TRUE(answer(tx.assemble(0xE2, {1, 2, 3})).empty());              // no such gain group
    EXPECT_TRUE(answer(tx.assemble(0x55, {})).empty());                     // unknown code
    EXPECT_TRUE(answer(tx.assemble(code::kSetPitchGains, {1, 2})).empty()); // one byte short
    EXPECT_TRUE(answer(tx.assemble(code::kSetTargetAltitude, {1})).empty());
    EXPECT_TRUE(answer(tx.assemble(code::kAutoReturn, {})).empty());
    EXPECT_EQ(controller.working(), ControllerSettings{});
}

TEST_F(SimControllerTest, TelemetryFramesDecodeAsIgnored) {
    EXPECT_TRUE(std::holds_alternative<reply::Ignored>(decodeReply(controller.telemetryF2())));
    EXPECT_TRUE(std::holds_alternative<reply::Ignored>(decodeReply(controller.telemetryF3())));
    EXPECT_EQ(controller.telemetryF2()[3], code::kUnsolicitedF2);
    EXPECT_EQ(controller.telemetryF3()[3], code::kUnsolicitedF3);
}

TEST_F(SimControllerTest, SaveCopiesWorkingValuesIntoFlashOnlyWhenAsked) {
    answer(request::setGainGroup(tx, GainGroup::Roll, 1, 2, 3));
    EXPECT_EQ(controller.flash(), ControllerSettings{});
    EXPECT_NE(controller.working(), controller.flash());
    EXPECT_EQ(only<reply::Acknowledgement>(request::saveConfiguration(tx)).status->text(),
              "Save configuration parameters success！");
    EXPECT_EQ(controller.working(), controller.flash());
}

} // namespace
} // namespace tq37r::sim
