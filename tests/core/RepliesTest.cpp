// What the controller's frames do to the grid, the status line and its countdown, the
// hidden lists and captions.
#include "DialogFixture.h"

namespace tq37r::test {
namespace {

class Replies : public DialogFixture {
protected:
    void SetUp() override { openQuietly(); }
};

TEST_F(Replies, GainBlocksFillTheGridUnsignedAndOverwriteTypedText) {
    type(id::kYD, "99"); // typed, not sent: replaced by the field's value
    Bytes block1(18);
    for (std::size_t i = 0; i < block1.size(); ++i) {
        block1[i] = static_cast<std::uint8_t>(i + 1);
    }
    block1[15] = 200;
    reply(makeFrame(0xEB, block1));
    EXPECT_EQ(status(), "Read TQ-36R OK！");
    const std::pair<int, const char*> afterBlock1[] = {
        {id::kAltitudeCompensation, "1"},
        {id::kOtherThird, "3"},
        {id::kHeightP, "4"},
        {id::kHeightD, "6"},
        {id::kHeadingLockingCoef, "10"},
        {id::kPitchLevelCoef, "13"},
        {id::kRollLevelCoef, "200"},
        {id::kRollStabilityCoef, "18"},
        {id::kYD, "0"},
    };
    for (const auto& [edit, value] : afterBlock1) {
        EXPECT_EQ(view.text(edit), value) << "edit " << edit;
    }
    reply(makeFrame(0xED, {21, 22, 23, 24, 25, 26}));
    EXPECT_EQ(view.text(id::kYP), "21");
    EXPECT_EQ(view.text(id::kYD), "23");
    EXPECT_EQ(view.text(id::kXP), "24");
    EXPECT_EQ(view.text(id::kXD), "26");
}

TEST_F(Replies, StatusLineClearsOnTheLastTickOfItsCountdownAndANewMessageRestartsIt) {
    reply(makeFrame(0x93, {0x05, 0x7B}));
    EXPECT_EQ(status(), "TQ-5 Firmware version: 1.23");
    tick(5900ms);
    EXPECT_EQ(status(), "TQ-5 Firmware version: 1.23");
    tick(100ms);
    EXPECT_EQ(status(), "");

    reply(makeFrame(0x81, {0x00, 0x05, 0xF6, 0x7F}));
    EXPECT_EQ(status(), "X= 0.5,Y=-1.0,Z=12.7");
    tick(1000ms);
    reply(makeFrame(0xFA, {0xE4}));
    EXPECT_EQ(status(), "Pitch control set OK！");
    tick(1900ms);
    EXPECT_EQ(status(), "Pitch control set OK！") << "counted from the new message, not the old";
    tick(100ms);
    EXPECT_EQ(status(), "");
}

TEST_F(Replies, FlightSettingsAndMixingModeFollowTheController) {
    reply(makeFrame(0xBB, {0x00, 0x01, 0x2C, 0x00, 0x64}));
    EXPECT_EQ(view.text(id::kTargetAltitude), "300");
    EXPECT_EQ(view.text(id::kCirclingRadius), "100");
    EXPECT_EQ(status(), "读取飞行参数成功！");
    reply(makeFrame(0xDD, {0x81}));
    EXPECT_EQ(view.selection(id::kMixingModeList), 3);
    reply(makeFrame(0xDD, {0x02})); // no such mode: the selection stays, the message still shows
    EXPECT_EQ(view.selection(id::kMixingModeList), 3);
    reply(makeFrame(0xDD, {0x00}));
    EXPECT_EQ(view.selection(id::kMixingModeList), 0);
    EXPECT_EQ(status(), "读取混控模式成功！");
}

TEST_F(Replies, StateReportsDriveTheIndicatorCaptionsOnlyOnChange) {
    reply(makeFrame(0xF1, {0x00, 0x06, 0x08})); // flight mode 2, task 2
    EXPECT_EQ(view.text(id::kFlightModeAuto), "自动ON");
    EXPECT_EQ(view.text(id::kFlightModeRemote), "遥控OFF");
    EXPECT_EQ(view.text(id::kTaskTakeOff), "起飞ON");
    EXPECT_EQ(view.text(id::kTaskReturn), "返航OFF");
    reply(makeFrame(0xF1, {0x00, 0x01, 0x40})); // stabilised; 16 or more is "cancel"
    EXPECT_EQ(view.text(id::kFlightModeStabilised), "增稳ON");
    EXPECT_EQ(view.text(id::kTaskCancel), "取消ON");
    EXPECT_EQ(view.text(id::kTaskTakeOff), "起飞OFF");

    // Mode 3 has no captions; the shown state moves on, the captions stay.
    view.setText(id::kFlightModeStabilised, "untouched");
    reply(makeFrame(0xF1, {0x00, 0x03, 0x40}));
    EXPECT_EQ(view.text(id::kFlightModeStabilised), "untouched");
    EXPECT_EQ(dialog.processState().shownFlightModeState, 3);
    reply(makeFrame(0xF1, {0x00, 0x01, 0x40}));
    EXPECT_EQ(view.text(id::kFlightModeStabilised), "增稳ON");
    view.setText(id::kTaskCancel, "untouched");
    reply(makeFrame(0xF1, {0x00, 0x01, 0x40}));
    EXPECT_EQ(view.text(id::kTaskCancel), "untouched") << "a repeated report refreshes nothing";
}

} // namespace
} // namespace tq37r::test
