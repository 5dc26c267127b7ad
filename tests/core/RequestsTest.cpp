// What each button sends (which request; the bytes are the device layer's), the transfer
// rules with the integer prompt, and Restore Default Parameters.
#include "DialogFixture.h"
#include "core/FieldBindings.h"

namespace tq37r::test {
namespace {

using Requests = DialogFixture;

TEST_F(Requests, EveryButtonThatTalksToTheControllerSendsItsRequest) {
    openQuietly();
    const std::pair<int, std::vector<std::uint8_t>> expected[] = {
        {id::kSetTargetAltitude, {0xB1}},
        {id::kSetCirclingRadius, {0xB2}},
        {id::kReadFlightParams, {0xBA}},
        {id::kSetMixingMode, {0xD1}},
        {id::kReadMixingMode, {0xDC}},
        {id::kSaveConfiguration, {0x86}},
        {id::kFlightModeRemote, {0xD2}},
        {id::kFlightModeStabilised, {0xD2}},
        {id::kFlightModeAuto, {0xD2}},
        {id::kTaskReturn, {0xD4}},
        {id::kTaskCircle, {0xD4}},
        {id::kTaskTakeOff, {0xD4}},
        {id::kTaskCancel, {0xD4}},
        {id::kGyroSelfTest, {0x80}},
        {id::kAutoReturnOn, {0x92}},
        {id::kAutoReturnOff, {0x92}},
        {id::kGetFirmwareVersion, {0x92}},
        {id::kRead, {0xEA, 0xEC}},
        {id::kSetPitch, {0xE4}},
        {id::kSetRoll, {0xE5}},
        {id::kSetHeading, {0xE3}},
        {id::kSetOther, {0xE0}},
        {id::kSetX, {0xE7}},
        {id::kSetY, {0xE6}},
        {id::kSetHeight, {0xE1}},
    };
    for (const auto& [button, codes] : expected) {
        click(button);
        tick(100ms); // a read's second request goes after the controller's pause
        EXPECT_EQ(takeSentCodes(), codes) << "button " << button;
    }
    // The payloads that come from the window: the mode and task a button stands for, the mixing mode.
    click(id::kTaskCancel);
    EXPECT_EQ(port.written.back()[4], 0xFF);
    view.setSelection(id::kMixingModeList, 3);
    click(id::kSetMixingMode);
    EXPECT_EQ(port.written.back()[4], 0x81);
}

TEST_F(Requests, ValuesAFieldCannotCarryAreRefusedNotCutToTheirLowBits) {
    openQuietly();
    type(id::kPitchLevelCoef, "300");
    click(id::kSetPitch);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].text, "Please enter an integer between 0 and 255.");
    EXPECT_EQ(view.focused, id::kPitchLevelCoef);
    type(id::kPitchLevelCoef, "255");
    type(id::kTargetAltitude, "70000");
    click(id::kSetTargetAltitude);
    EXPECT_EQ(view.boxes.back().text, "Please enter an integer between 0 and 65535.");
    EXPECT_TRUE(port.written.empty());

    type(id::kTargetAltitude, "65535");
    type(id::kPitchStabilityContinue, " +0 ");
    click(id::kSetPitch);
    ASSERT_EQ(port.written.size(), 1u);
    EXPECT_EQ(port.written[0][4], 255);
    EXPECT_EQ(view.boxes.size(), 2u);
    type(id::kCirclingRadius, "300");
    click(id::kSetCirclingRadius);
    EXPECT_EQ(port.written.back(), makeFrame(0xB2, {0x01, 0x2C}));
}

TEST_F(Requests, BadEntryPromptsAndHoldsBackExactlyTheRowsItCuts) {
    openQuietly();
    type(id::kPitchLevelCoef, "35");
    type(id::kRollLevelCoef, "abc");
    type(id::kXP, "9");
    click(id::kSetPitch); // Pitch comes before Roll in the transfer order: taken, sent
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].text, "Please enter an integer.");
    EXPECT_EQ(view.focused, id::kRollLevelCoef);
    EXPECT_EQ(takeSentCodes(), (std::vector<std::uint8_t>{0xE4}));
    EXPECT_EQ(dialog.fields().gains[*findGain("pitch.level")], 35);
    EXPECT_EQ(dialog.fields().gains[*findGain("x.p")], 0) << "fields after the bad entry keep their values";

    click(id::kSetRoll); // its own edit was not taken: nothing stale goes out
    click(id::kSetX);
    EXPECT_TRUE(takeSentCodes().empty());

    // A bad entry in a row's own first edit holds it back although its later edits were taken.
    type(id::kRollLevelCoef, "1");
    type(id::kPitchLevelCoef, "");
    click(id::kSetPitch);
    EXPECT_TRUE(takeSentCodes().empty());
    EXPECT_EQ(view.boxes.size(), 4u);
}

TEST_F(Requests, AReadBackArrivingWhileThePromptIsUpWaitsUntilTheRequestIsOut) {
    openQuietly();
    type(id::kPitchLevelCoef, "40");
    type(id::kHeadingLockingCoef, "x");
    view.whileBoxIsUp = [this] {
        reply(makeFrame(0xEB, Bytes(18, 9)));
        EXPECT_EQ(view.text(id::kHeadingLockingCoef), "x") << "the entry being corrected was kept";
    };
    click(id::kSetPitch);
    ASSERT_EQ(port.written.size(), 1u);
    EXPECT_EQ(port.written[0][4], 40) << "the typed value went out, not the read-back";
    // Shown once the prompt is answered.
    EXPECT_EQ(view.text(id::kPitchLevelCoef), "9");
}

TEST_F(Requests, RestoreDefaultsFillsTheGainsKeepsTheFlightSettingsAndSendsNothing) {
    openQuietly();
    type(id::kTargetAltitude, "300");
    click(id::kSetTargetAltitude);
    port.written.clear();
    type(id::kPitchLevelCoef, "99");
    click(id::kRestoreDefaults);
    std::string grid;
    for (const int editId : kTransferOrder) {
        grid += view.text(editId) + " ";
    }
    // In transfer order: altitude, radius, then the gains (some rows right to left).
    EXPECT_EQ(grid, "300 0 30 0 35 30 0 35 15 45 60 5 5 0 8 1 15 8 1 15 15 1 10 ");
    EXPECT_TRUE(port.written.empty());
}

// The Flight settings window reaches every hidden request with its exact frame, shows the
// replies, and asks before flying the aircraft: No sends nothing.
TEST_F(Requests, FlightSettingsSendTheHiddenControlsRequestsAndAskBeforeFlying) {
    openQuietly();
    dialog.readFlightSettings();
    dialog.setFlightSetting(true, "300");
    dialog.setFlightSetting(false, "120");
    dialog.setFlightSetting(false, "70000");
    EXPECT_EQ(view.boxes.back().text, "Please enter an integer between 0 and 65535.");
    dialog.readMixingMode();
    dialog.setMixingMode(3);
    dialog.runGyroTest();
    dialog.setAutoReturn(true);
    dialog.setAutoReturn(false);
    view.answer = MessageBoxAnswer::Cancel;
    dialog.commandFlightMode(FlightMode::Auto);
    dialog.commandTask(Task::TakeOff);
    view.answer = MessageBoxAnswer::Ok;
    dialog.commandTask(Task::Circle);
    const std::vector<Bytes> expected = {
        makeFrame(0xBA, {}),     makeFrame(0xB1, {0x01, 0x2C}), makeFrame(0xB2, {0x00, 0x78}),
        makeFrame(0xDC, {}),     makeFrame(0xD1, {0x81}),       makeFrame(0x80, {0x00}),
        makeFrame(0x92, {0x01}), makeFrame(0x92, {0x00}),       makeFrame(0xD4, {0x01})};
    EXPECT_EQ(port.written, expected);
    EXPECT_EQ(view.boxes[1].text, "Let the controller fly the aircraft on its own (flight mode automatic)?");
    EXPECT_EQ(view.boxes[1].buttons, MessageBoxRequest::Buttons::OkCancel) << "Cancel, the default, is No";

    reply(makeFrame(0xBB, {0x00, 0x01, 0x2C, 0x00, 0x78}));
    reply(makeFrame(0xDD, {0x80}));
    reply(makeFrame(0x81, {0x01, 0, 0, 0}));
    reply(makeFrame(0xF1, {0x00, 0x06, 0x04})); // auto, circling
    EXPECT_EQ(dialog.flightSettings().targetAltitude, 300);
    EXPECT_EQ(dialog.flightSettings().circlingRadius, 120);
    EXPECT_EQ(dialog.flightSettings().mixingItem, 1);
    EXPECT_EQ(gyroText(*dialog.flightSettings().gyro), "The gyro self-test failed.");
    EXPECT_EQ(dialog.indicatorCaption(id::kFlightModeAuto), "自动ON");
    EXPECT_EQ(dialog.indicatorCaption(id::kTaskCircle), "盘旋ON");
    EXPECT_EQ(view.flightSettingsChanges, 4);
}

} // namespace
} // namespace tq37r::test
