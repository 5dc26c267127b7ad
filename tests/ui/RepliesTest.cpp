// Frames written by the controller's side of the pty: what they do to the grid, the status
// line, the mixing-mode list and the indicator captions.
#include "DialogFixture.h"

namespace tq37r::test {
namespace {

class Replies : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        openPort();
    }

    void clearStatus() {
        while (state.statusCountdown > 0) {
            dialog->OnTimer(1);
        }
    }

    // Sends a frame and waits until the status line shows the text.
    void replyAndExpectStatus(const Bytes& frame, const QString& status) {
        reply(frame);
        EXPECT_TRUE(waitFor([&] { return statusText() == status; }))
            << "status line shows \"" << statusText().toStdString() << "\"";
    }
};

const Bytes kGainBlock1 = {0xA5, 0x5A, 0x16, 0xEB, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                           0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0xAC, 0xAA};
const Bytes kGainBlock2 = {0xA5, 0x5A, 0x0A, 0xED, 0xC8, 0x15, 0x16, 0x17, 0x18, 0x19, 0x32, 0xAA};
const Bytes kPitchAck = {0xA5, 0x5A, 0x05, 0xFA, 0xE4, 0xE3, 0xAA};
const QString kReadOk = QString::fromUtf8("Read TQ-36R OK！");

TEST_F(Replies, GainReadBackFillsTheGridAndOverwritesTypedButUnsentText) {
    typeInto(1061, "99");  // yD, carried by the second block
    typeInto(1038, "abc"); // hidden target altitude, carried by neither block
    replyAndExpectStatus(kGainBlock1, kReadOk);
    const std::pair<int, const char*> block1[] = {
        {1052, "1"},  {1053, "2"},  {1054, "3"},  {1064, "4"},  {1065, "5"},  {1066, "6"},
        {1048, "10"}, {1049, "11"}, {1050, "12"}, {1041, "13"}, {1042, "14"}, {1043, "15"},
        {1044, "16"}, {1045, "17"}, {1046, "18"}, {1061, "0"},  {1038, "0"}};
    for (const auto& [id, value] : block1) {
        EXPECT_EQ(text(id), value) << "edit " << id;
    }

    typeInto(1041, "77");
    clearStatus();
    replyAndExpectStatus(kGainBlock2, kReadOk);
    const std::pair<int, const char*> block2[] = {{1059, "200"}, {1060, "21"}, {1061, "22"}, {1056, "23"},
                                                  {1057, "24"},  {1058, "25"}, {1041, "13"}};
    for (const auto& [id, value] : block2) {
        EXPECT_EQ(text(id), value) << "edit " << id;
    }
    EXPECT_EQ(dialog->fields.yP, 200) << "bytes are stored unsigned";
    EXPECT_EQ(state.statusCountdown > 0, true);
}

TEST_F(Replies, AStrayHeaderHoldsNoReplyBackForLongerThanTheQuietGap) {
    const Bytes strayHeader{0xA5, 0x5A, 0xFF}; // claims a 255-byte frame
    reply(strayHeader);
    QTest::qWait(200);
    const auto sent = std::chrono::steady_clock::now();
    reply(kGainBlock1);
    reply(kGainBlock2);
    ASSERT_TRUE(waitFor([this] { return text(1059) == "200" && text(1041) == "13"; }));
    // The gap at 19200 baud is 50 ms and had long passed: the pair is decoded as it comes.
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 1s);

    // A stray header received just before a Close is forgotten by the next Open.
    clearStatus();
    reply(strayHeader);
    ASSERT_TRUE(waitFor([this] { return state.receiver.midFrame(); }));
    click(1);
    click(1);
    EXPECT_FALSE(state.receiver.midFrame());
    reply(kGainBlock1);
    EXPECT_TRUE(waitFor([this] { return statusText() == kReadOk; }));
}

TEST_F(Replies, StatusTextsOfEveryReplyKind) {
    replyAndExpectStatus({0xA5, 0x5A, 0x08, 0x81, 0x00, 0x05, 0xF6, 0x7F, 0x03, 0xAA},
                         "X= 0.5,Y=-1.0,Z=12.7");
    replyAndExpectStatus({0xA5, 0x5A, 0x06, 0x93, 0x05, 0x7B, 0x19, 0xAA}, "TQ-5 Firmware version: 1.23");
    replyAndExpectStatus({0xA5, 0x5A, 0x09, 0xBB, 0x00, 0x01, 0x2C, 0x00, 0x64, 0x55, 0xAA},
                         QString::fromUtf8("读取飞行参数成功！"));
    EXPECT_EQ(text(1038), "300");
    EXPECT_EQ(text(1039), "100");
    EXPECT_EQ(dialog->fields.targetAltitude, 300);

    replyAndExpectStatus({0xA5, 0x5A, 0x05, 0xDD, 0x81, 0x63, 0xAA}, QString::fromUtf8("读取混控模式成功！"));
    EXPECT_EQ(combo(1040)->currentIndex(), 3);
    replyAndExpectStatus(kPitchAck, QString::fromUtf8("Pitch control set OK！"));
    replyAndExpectStatus({0xA5, 0x5A, 0x05, 0xDD, 0x02, 0xE4, 0xAA}, QString::fromUtf8("读取混控模式成功！"));
    EXPECT_EQ(combo(1040)->currentIndex(), 3) << "an unknown mode byte leaves the selection";
}

TEST_F(Replies, FramesWithoutAnnouncementChangeNothing) {
    replyAndExpectStatus(kPitchAck, QString::fromUtf8("Pitch control set OK！"));
    QStringList shown;
    const QMetaObject::Connection watching = QObject::connect(
        edit(1027), &QLineEdit::textChanged, [&shown](const QString& text) { shown << text; });
    reply({0xA5, 0x5A, 0x05, 0xFA, 0xD2, 0xD1, 0xAA}); // acknowledged flight mode: not announced
    reply({0xA5, 0x5A, 0x08, 0x81, 0x01, 0x05, 0xF6, 0x7F, 0x04, 0xAA}); // failed self-test
    reply({0xA5, 0x5A, 0x04, 0xF2, 0xF6, 0xAA});
    reply({0xA5, 0x5A, 0x04, 0x42, 0x46, 0xAA}); // unknown code
    // A marker frame that does show something proves the frames before it were handled.
    replyAndExpectStatus({0xA5, 0x5A, 0x05, 0xFA, 0x86, 0x85, 0xAA},
                         QString::fromUtf8("Save configuration parameters success！"));
    QObject::disconnect(watching);
    EXPECT_EQ(shown, QStringList{QString::fromUtf8("Save configuration parameters success！")})
        << "only the marker frame was announced";
    for (const IntegerBinding& binding : kIntegerTransferOrder) {
        EXPECT_EQ(text(binding.editId), "0") << binding.editId;
    }
}

TEST_F(Replies, StatusLineClearsOnTheLastTickOfItsCountdownAndANewMessageRestartsIt) {
    replyAndExpectStatus({0xA5, 0x5A, 0x06, 0x93, 0x05, 0x7B, 0x19, 0xAA}, "TQ-5 Firmware version: 1.23");
    replyAndExpectStatus(kPitchAck, QString::fromUtf8("Pitch control set OK！"));
    // Real ticks may have run while the reply was on its way; count the rest by hand.
    const int left = state.statusCountdown;
    ASSERT_GT(left, 10);
    ASSERT_LE(left, 20) << "the acknowledgement replaced the firmware's 60";
    dialog->OnTimer(2); // not the status timer
    EXPECT_EQ(state.statusCountdown, left);
    for (int tick = 1; tick < left; ++tick) {
        dialog->OnTimer(1);
    }
    EXPECT_EQ(statusText(), QString::fromUtf8("Pitch control set OK！"));
    dialog->OnTimer(1);
    EXPECT_EQ(statusText(), "");
    EXPECT_EQ(state.statusCountdown, 0);
    dialog->OnTimer(1);
    EXPECT_EQ(state.statusCountdown, 0);

    // Typed text stays until a countdown runs out.
    typeInto(1027, "note");
    for (int tick = 0; tick < 30; ++tick) {
        dialog->OnTimer(1);
    }
    EXPECT_EQ(statusText(), "note");
}

TEST_F(Replies, TheWindowTimerClearsTheLineAboutTwoSecondsAfterAReply) {
    const auto shown = PtyPeer::Clock::now();
    replyAndExpectStatus(kPitchAck, QString::fromUtf8("Pitch control set OK！"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return statusText().isEmpty(); }, 10000));
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(PtyPeer::Clock::now() - shown).count();
    std::printf("countdown 20 cleared the line after %lld ms (nominal 1900-2000)\n",
                static_cast<long long>(ms));
    EXPECT_GE(ms, 1700);
}

TEST_F(Replies, StateReportsDriveTheIndicatorCaptionsOnlyOnChange) {
    auto captions = [&](std::initializer_list<int> ids) {
        QStringList all;
        for (int id : ids) {
            all << button(id)->text();
        }
        return all.join(' ');
    };
    auto report = [&](std::uint8_t p1, std::uint8_t p2) {
        const std::uint8_t sum = static_cast<std::uint8_t>(0x07 + 0xF1 + p1 + p2);
        clearStatus();
        reply({0xA5, 0x5A, 0x07, 0xF1, 0x00, p1, p2, sum, 0xAA});
        // Follow with an announced frame so the report is known to be handled.
        replyAndExpectStatus(kPitchAck, QString::fromUtf8("Pitch control set OK！"));
        clearStatus();
    };
    report(0x06, 0x08);
    EXPECT_EQ(captions({1018, 1019, 1020}), QString::fromUtf8("遥控OFF 增稳OFF 自动ON"));
    EXPECT_EQ(captions({1021, 1022, 1023, 1024}), QString::fromUtf8("返航OFF 盘旋OFF 起飞ON 取消OFF"));
    EXPECT_EQ(state.flightModeState, 2);
    EXPECT_EQ(state.taskState, 2);

    report(0x01, 0x40);
    EXPECT_EQ(captions({1018, 1019, 1020}), QString::fromUtf8("遥控OFF 增稳ON 自动OFF"));
    EXPECT_EQ(captions({1021, 1022, 1023, 1024}), QString::fromUtf8("返航OFF 盘旋OFF 起飞OFF 取消ON"));
    EXPECT_EQ(state.taskState, 255);

    report(0x03, 0x0C); // flight mode 3 and task 3: no captions of their own
    EXPECT_EQ(state.shownFlightModeState, 3);
    EXPECT_EQ(state.shownTaskState, 3);
    EXPECT_EQ(captions({1018, 1019, 1020}), QString::fromUtf8("遥控OFF 增稳ON 自动OFF"));
    EXPECT_EQ(captions({1021, 1022, 1023, 1024}), QString::fromUtf8("返航OFF 盘旋OFF 起飞OFF 取消ON"));

    // A repeated report refreshes nothing: a caption changed behind the dialog's back stays.
    report(0x01, 0x40);
    button(1019)->setText("marker");
    button(1024)->setText("marker");
    report(0x01, 0x40);
    EXPECT_EQ(button(1019)->text(), "marker");
    EXPECT_EQ(button(1024)->text(), "marker");
    report(0x00, 0x00);
    EXPECT_EQ(captions({1018, 1019, 1020}), QString::fromUtf8("遥控ON 增稳OFF 自动OFF"));
    EXPECT_EQ(captions({1021, 1022, 1023, 1024}), QString::fromUtf8("返航ON 盘旋OFF 起飞OFF 取消OFF"));
    EXPECT_EQ(statusText(), "");
}

} // namespace
} // namespace tq37r::test
