// Every button's request as the controller's side of the line receives it, and the
// data exchange that comes before the ones that send field values.
#include "DialogFixture.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::test {
namespace {

using Requests = DialogFixture;

struct ButtonFrame {
    int id;
    Bytes frame;
};

TEST_F(Requests, EveryVisibleAndHiddenButtonWritesItsFrame) {
    openPort();
    click(1035); // defaults in the grid
    typeInto(1038, "300");
    typeInto(1039, "70000");
    combo(1040)->setCurrentIndex(3);

    const std::vector<ButtonFrame> cases = {
        // Visible.
        {1017, {0xA5, 0x5A, 0x04, 0x86, 0x8A, 0xAA}},
        {1037, {0xA5, 0x5A, 0x07, 0xE4, 0x23, 0x00, 0x1E, 0x2C, 0xAA}},
        {1047, {0xA5, 0x5A, 0x07, 0xE5, 0x23, 0x00, 0x1E, 0x2D, 0xAA}},
        {1051, {0xA5, 0x5A, 0x07, 0xE3, 0x0F, 0x2D, 0x3C, 0x62, 0xAA}},
        {1055, {0xA5, 0x5A, 0x07, 0xE0, 0x05, 0x05, 0x00, 0xF1, 0xAA}},
        {1062, {0xA5, 0x5A, 0x07, 0xE7, 0x0F, 0x01, 0x08, 0x06, 0xAA}},
        {1063, {0xA5, 0x5A, 0x07, 0xE6, 0x0F, 0x01, 0x08, 0x05, 0xAA}},
        {1067, {0xA5, 0x5A, 0x07, 0xE1, 0x0F, 0x01, 0x0A, 0x02, 0xAA}},
        {1068, {0xA5, 0x5A, 0x05, 0x92, 0x00, 0x97, 0xAA}},
        {1029, {0xA5, 0x5A, 0x04, 0xEA, 0xEE, 0xAA, 0xA5, 0x5A, 0x04, 0xEC, 0xF0, 0xAA}},
        // Hidden.
        {1012, {0xA5, 0x5A, 0x06, 0xB1, 0x01, 0x2C, 0xE4, 0xAA}},
        {1013, {0xA5, 0x5A, 0x06, 0xB2, 0x11, 0x70, 0x39, 0xAA}},
        {1014, {0xA5, 0x5A, 0x04, 0xBA, 0xBE, 0xAA}},
        {1015, {0xA5, 0x5A, 0x04, 0xDC, 0xE0, 0xAA}},
        {1016, {0xA5, 0x5A, 0x05, 0xD1, 0x81, 0x57, 0xAA}},
        {1018, {0xA5, 0x5A, 0x05, 0xD2, 0x00, 0xD7, 0xAA}},
        {1019, {0xA5, 0x5A, 0x05, 0xD2, 0x01, 0xD8, 0xAA}},
        {1020, {0xA5, 0x5A, 0x05, 0xD2, 0x02, 0xD9, 0xAA}},
        {1021, {0xA5, 0x5A, 0x05, 0xD4, 0x00, 0xD9, 0xAA}},
        {1022, {0xA5, 0x5A, 0x05, 0xD4, 0x01, 0xDA, 0xAA}},
        {1023, {0xA5, 0x5A, 0x05, 0xD4, 0x02, 0xDB, 0xAA}},
        {1024, {0xA5, 0x5A, 0x05, 0xD4, 0xFF, 0xD8, 0xAA}},
        {1025, {0xA5, 0x5A, 0x05, 0x80, 0x00, 0x85, 0xAA}},
        {1026, {0xA5, 0x5A, 0x05, 0x92, 0x01, 0x98, 0xAA}},
        {1028, {0xA5, 0x5A, 0x05, 0x92, 0x00, 0x97, 0xAA}},
    };
    for (const ButtonFrame& c : cases) {
        click(c.id);
        EXPECT_EQ(written(c.frame.size()), c.frame) << "button " << c.id;
    }
    EXPECT_TRUE(writtenSoon().empty());
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(dialog->fields.targetAltitude, 300);
    EXPECT_EQ(dialog->fields.circlingRadius, 70000);
}

TEST_F(Requests, ReadPausesBetweenItsTwoFrames) {
    openPort();
    const auto start = PtyPeer::Clock::now();
    click(1029);
    const auto returned = PtyPeer::Clock::now();
    ASSERT_EQ(written(12).size(), 12U);
    const auto& times = peer->takenTimes();
    const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(times[6] - times[0]);
    std::printf("Read: second frame %lld ms after the first, handler took %lld ms\n",
                static_cast<long long>(gap.count()),
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(returned - start).count()));
    EXPECT_GE(gap, 90ms);
    EXPECT_LT(gap, 2s);
}

TEST_F(Requests, GainsGoOutAsTheirLowByteAndOutOfRangeValuesAreKept) {
    openPort();
    typeInto(1041, "300");
    typeInto(1042, "-1");
    typeInto(1043, " +30 ");
    click(1037);
    EXPECT_EQ(written(9), (Bytes{0xA5, 0x5A, 0x07, 0xE4, 0x2C, 0xFF, 0x1E, 0x34, 0xAA}));
    EXPECT_EQ(dialog->fields.pitchLevelCoef, 300);
    EXPECT_EQ(dialog->fields.pitchStabilityContinue, -1);
}

TEST_F(Requests, ClosedPortStillTransfersButWritesNothing) {
    typeInto(1041, "12");
    click(1037);
    EXPECT_EQ(dialog->fields.pitchLevelCoef, 12);
    click(1035);
    EXPECT_EQ(text(1041), "35");
    const auto start = PtyPeer::Clock::now();
    click(1029);
    EXPECT_GE(PtyPeer::Clock::now() - start, 90ms) << "Read pauses even with the port closed";
    EXPECT_TRUE(writtenSoon().empty());
}

TEST_F(Requests, RestoreDefaultsFillsTheGridKeepsTheFlightSettingsAndSendsNothing) {
    openPort();
    typeInto(1038, "123");
    click(1012);
    written(8);
    typeInto(1041, "99");
    QTest::keyClicks(edit(1054), "7");
    EXPECT_EQ(text(1054), "0") << "the disabled edit takes no typing";
    click(1035);
    const std::pair<int, const char*> expected[] = {
        {1041, "35"}, {1042, "0"},  {1043, "30"}, {1044, "35"},  {1045, "0"}, {1046, "30"},
        {1048, "15"}, {1049, "45"}, {1050, "60"}, {1052, "5"},   {1053, "5"}, {1054, "0"},
        {1056, "15"}, {1057, "1"},  {1058, "8"},  {1059, "15"},  {1060, "1"}, {1061, "8"},
        {1064, "15"}, {1065, "1"},  {1066, "10"}, {1038, "123"}, {1039, "0"}};
    for (const auto& [id, value] : expected) {
        EXPECT_EQ(text(id), value) << "edit " << id;
    }
    EXPECT_EQ(statusText(), "");
    EXPECT_TRUE(writtenSoon().empty());
}

// A bad entry: the prompt, the focus and selection on the bad edit, and only rows whose own
// fields were all taken are sent.
TEST_F(Requests, BadEntryPromptsAndHoldsBackOnlyTheRowsItCuts) {
    openPort();
    click(1035);
    typeInto(1041, "7");
    typeInto(1044, "abc"); // Roll's left edit, after the whole Pitch row in the transfer order

    click(1037);
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, "Please enter an integer.");
    EXPECT_EQ(dialog->focusWidget(), edit(1044));
    EXPECT_EQ(edit(1044)->selectedText(), "abc");
    EXPECT_EQ(written(9), (Bytes{0xA5, 0x5A, 0x07, 0xE4, 0x07, 0x00, 0x1E, 0x10, 0xAA}))
        << "Pitch was taken in full before the transfer stopped";

    for (int rowBehind : {1047, 1051, 1055, 1062, 1063, 1067}) {
        click(rowBehind);
    }
    EXPECT_EQ(boxes.size(), 7U);
    EXPECT_TRUE(writtenSoon().empty()) << "rows at or after the bad edit keep stale values and stay unsent";
    EXPECT_EQ(dialog->fields.rollLevelCoef, 35);

    typeInto(1044, "36");
    click(1047);
    EXPECT_EQ(written(9), (Bytes{0xA5, 0x5A, 0x07, 0xE5, 0x24, 0x00, 0x1E, 0x2E, 0xAA}));
    EXPECT_EQ(boxes.size(), 7U);
}

TEST_F(Requests, AReadBackArrivingWhileThePromptIsUpWaitsUntilTheRequestIsOut) {
    openPort();
    click(1035);
    typeInto(1041, "7");
    typeInto(1044, "abc");
    Bytes payload(18, 0x01);
    payload[12] = 50; // Pitch as the controller has it
    const Bytes readBack = makeFrame(0xEB, payload);
    // The prompt is modal: events go on being handled while the operator reads it.
    ModalHooks::setMessageBoxHook([this, &readBack](const MessageBoxRequest& request) {
        boxes.push_back(request);
        reply(readBack);
        QTest::qWait(300);
    });
    click(1037);
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(written(9), (Bytes{0xA5, 0x5A, 0x07, 0xE4, 0x07, 0x00, 0x1E, 0x10, 0xAA}))
        << "the row goes out as the operator typed it";
    ASSERT_TRUE(waitFor([&] { return text(1041) == "50"; })) << "the read-back takes effect afterwards";
    EXPECT_EQ(statusText(), QString::fromUtf8("Read TQ-36R OK！"));
}

TEST_F(Requests, BadEntryInARowsOwnEditHoldsThatRowBackEvenWhenItsOtherFieldsWereTaken) {
    openPort();
    click(1035);
    typeInto(1043, "31");
    typeInto(1042, "2");
    typeInto(1041, "x1"); // taken last of the Pitch row
    click(1037);
    EXPECT_EQ(boxes.size(), 1U);
    EXPECT_TRUE(writtenSoon().empty());
    EXPECT_EQ(dialog->fields.pitchStabilityCoef, 31) << "fields before the bad one are taken";
    EXPECT_EQ(dialog->fields.pitchLevelCoef, 35);

    typeInto(1041, "");
    typeInto(1066, "9.5"); // the last field of all
    click(1037);
    EXPECT_EQ(boxes.size(), 2U) << "an empty edit is not an integer either";
    EXPECT_TRUE(writtenSoon().empty());

    typeInto(1041, "35");
    click(1037);
    EXPECT_EQ(boxes.size(), 3U);
    EXPECT_EQ(written(9), (Bytes{0xA5, 0x5A, 0x07, 0xE4, 0x23, 0x02, 0x1F, 0x2F, 0xAA}))
        << "a bad entry later in the order does not hold the row back";
    click(1067);
    EXPECT_EQ(boxes.size(), 4U);
    EXPECT_TRUE(writtenSoon().empty());
    EXPECT_EQ(dialog->focusWidget(), edit(1066));
}

} // namespace
} // namespace tq37r::test
