// The Open/Close button against a real pty: line settings, the first-open read, "open fail",
// Enter, a vanished adapter, and closing the dialog with the port open.
#include <termios.h>

#include "DialogFixture.h"
#include "serial/NotifyingSerialPort.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::test {
namespace {

using Connection = DialogFixture;

const Bytes kReadPair = {0xA5, 0x5A, 0x04, 0xEA, 0xEE, 0xAA, 0xA5, 0x5A, 0x04, 0xEC, 0xF0, 0xAA};

long long msBetween(PtyPeer::Clock::time_point from, PtyPeer::Clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

TEST_F(Connection, OpenAppliesTheChosenLineSettingsAndCloseReleasesThePort) {
    openPort();
    EXPECT_TRUE(state.portOpen);
    EXPECT_TRUE(dialog->port.isOpen());
    termios settings{};
    ASSERT_EQ(tcgetattr(peer->slaveFd(), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B19200));
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0U);

    combo(1032)->setCurrentIndex(0); // no effect until the next open
    ASSERT_EQ(tcgetattr(peer->slaveFd(), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B19200));

    click(1);
    EXPECT_EQ(button(1)->text(), "Open");
    EXPECT_FALSE(state.portOpen);
    EXPECT_FALSE(dialog->port.isOpen());
    click(1);
    ASSERT_EQ(tcgetattr(peer->slaveFd(), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B115200));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Connection, FirstOpenReadsAllGainsTwiceWithItsPausesAndOnlyOnce) {
    const auto start = PtyPeer::Clock::now();
    click(1);
    const auto returned = PtyPeer::Clock::now();
    EXPECT_EQ(button(1)->text(), "Close");
    Bytes expected = kReadPair;
    expected.insert(expected.end(), kReadPair.begin(), kReadPair.end());
    ASSERT_EQ(written(24), expected);

    const auto& at = peer->takenTimes();
    const long long t[4] = {msBetween(start, at[0]), msBetween(start, at[6]), msBetween(start, at[12]),
                            msBetween(start, at[18])};
    std::printf("first-open read frames at %lld, %lld, %lld, %lld ms (nominal 300, 400, 700, 800); "
                "handler returned after %lld ms\n",
                t[0], t[1], t[2], t[3], msBetween(start, returned));
    EXPECT_GE(t[0], 280);
    EXPECT_GE(t[1] - t[0], 90);
    EXPECT_GE(t[2] - t[1], 280);
    EXPECT_GE(t[3] - t[2], 90);
    EXPECT_LT(t[3], 5000);

    // Nobody answered (wrong rate, say): the next open reads again.
    click(1);
    click(1);
    ASSERT_EQ(written(24), expected);
    // Once both gain blocks are in, later opens read nothing.
    reply(makeFrame(0xEB, Bytes(18, 7)));
    reply(makeFrame(0xED, Bytes(6, 7)));
    ASSERT_TRUE(waitFor([this] { return text(1059) == "7" && text(1041) == "7"; }));
    click(1);
    click(1);
    EXPECT_EQ(button(1)->text(), "Close");
    EXPECT_TRUE(writtenSoon().empty()) << "the gains have been read once";
}

TEST_F(Connection, OpenFailForAMissingPortThenTheFirstGoodOpenStillReads) {
    combo(1031)->setCurrentIndex(1); // COM2: no such link
    click(1);
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].title, "COM2");
    EXPECT_EQ(boxes[0].text, "open fail");
    EXPECT_EQ(boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(boxes[0].detail, "No such device (COM2 is not present)");
    EXPECT_EQ(button(1)->text(), "Open");
    EXPECT_FALSE(state.portOpen);
    EXPECT_TRUE(state.firstOpenRead);

    combo(1031)->setCurrentIndex(0);
    click(1);
    EXPECT_EQ(button(1)->text(), "Close");
    EXPECT_EQ(written(24).size(), 24U) << "the first successful open reads";
}

TEST_F(Connection, TypedPortWithNoSelectionGivesOpenFailTitledWithTheText) {
    QLineEdit* typed = combo(1031)->lineEdit();
    typed->selectAll();
    QTest::keyClicks(typed, "COM12");
    EXPECT_EQ(combo(1031)->currentText(), "COM12");
    EXPECT_EQ(comboSelection(*combo(1031)), -1);
    click(1);
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].title, "COM12");
    EXPECT_EQ(boxes[0].text, "open fail");
    EXPECT_FALSE(state.portOpen);
    EXPECT_FALSE(dialog->port.isOpen());
    EXPECT_EQ(combo(1031)->count(), 9) << "typed text never becomes an entry";
}

TEST_F(Connection, TypedBaudRateIsParsedAndNeverIndexesOutsideTheTable) {
    state.firstOpenRead = false;
    QLineEdit* typed = combo(1032)->lineEdit();
    typed->selectAll();
    QTest::keyClicks(typed, "fast");
    click(1);
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, "open fail");
    EXPECT_EQ(boxes[0].title, "COM1");
    EXPECT_FALSE(state.portOpen);

    typed->selectAll();
    QTest::keyClicks(typed, "-9600");
    click(1);
    EXPECT_EQ(boxes.size(), 2U);

    typed->selectAll();
    QTest::keyClicks(typed, "2400");
    EXPECT_EQ(comboSelection(*combo(1032)), -1);
    click(1);
    EXPECT_EQ(boxes.size(), 2U);
    EXPECT_EQ(button(1)->text(), "Close");
    termios settings{};
    ASSERT_EQ(tcgetattr(peer->slaveFd(), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B2400));
}

TEST_F(Connection, PortInUseByAnotherProgramSaysSo) {
    NotifyingSerialPort other;
    other.portNumber = 1;
    other.dcb.baudRate = 9600;
    other.dcb.byteSize = 8;
    ASSERT_TRUE(other.open());
    click(1);
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].detail, "In use by another program");
    EXPECT_EQ(button(1)->text(), "Open");
}

TEST_F(Connection, EnterInAnEditTogglesTheConnectionAndNeverClosesTheDialog) {
    state.firstOpenRead = false;
    edit(1044)->setFocus();
    QTest::keyClick(edit(1044), Qt::Key_Return);
    EXPECT_EQ(button(1)->text(), "Close");
    EXPECT_TRUE(state.portOpen);
    QTest::keyClick(edit(1027), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(button(1)->text(), "Open");
    EXPECT_FALSE(state.portOpen);
    QTest::keyClick(combo(1032)->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(button(1)->text(), "Close") << "Enter in a list's text field acts the same";
    EXPECT_EQ(combo(1032)->currentText(), "19200");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected) << "still running: no result set";
}

TEST_F(Connection, EnterAfterTypingAListedPortNameActsLikeAClick) {
    // COM2 exists and is in the list, but typed text leaves the list without a selection.
    PtyPeer second;
    second.linkAs(portDir(), "COM2");
    combo(1031)->lineEdit()->setFocus();
    combo(1031)->lineEdit()->selectAll();
    QTest::keyClicks(combo(1031)->lineEdit(), "COM2");
    QTest::keyClick(combo(1031)->lineEdit(), Qt::Key_Return);
    std::filesystem::remove(portDir() / "COM2");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "open fail");
    EXPECT_EQ(boxes[0].title, "COM2");
    EXPECT_FALSE(state.portOpen);
    EXPECT_EQ(combo(1031)->currentText(), "COM2");
}

TEST_F(Connection, HangUpPutsOpenBackAndTheAdapterCanBeReopened) {
    openPort();
    peer->hangUp();
    ASSERT_TRUE(waitFor([&] { return button(1)->text() == "Open"; }));
    EXPECT_FALSE(state.portOpen);
    EXPECT_FALSE(dialog->port.isOpen());
    EXPECT_TRUE(boxes.empty());

    peer = std::make_unique<PtyPeer>(); // the adapter is back
    peer->linkAs(portDir(), "COM1");
    click(1);
    EXPECT_EQ(button(1)->text(), "Close");
    click(1068);
    EXPECT_EQ(written(7), (Bytes{0xA5, 0x5A, 0x05, 0x92, 0x00, 0x97, 0xAA}));
}

TEST_F(Connection, EscapeEndsTheRunAndDestroyingTheDialogReleasesTheOpenPort) {
    openPort();
    QTest::keyClick(edit(1041), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(state.portOpen) << "closing the window alone does not touch the flag";

    NotifyingSerialPort other;
    other.portNumber = 1;
    other.dcb.baudRate = 19200;
    other.dcb.byteSize = 8;
    EXPECT_FALSE(other.open()) << "still held by the dialog";

    const auto start = PtyPeer::Clock::now();
    dialog.reset();
    const long long took = msBetween(start, PtyPeer::Clock::now());
    std::printf("dialog teardown with the port open took %lld ms\n", took);
    EXPECT_LT(took, 1000);
    EXPECT_TRUE(other.open()) << "teardown closed the port";
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Connection, CloseBoxEndsTheRunWithThePortOpen) {
    openPort();
    EXPECT_TRUE(dialog->close());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    dialog.reset();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Connection, PortListToolTipAgreesWithWhatOpenDoes) {
    EXPECT_EQ(combo(1031)->toolTip(), QString::fromStdString("COM1 is " + (portDir() / "COM1").string()));
    combo(1031)->setCurrentIndex(2);
    EXPECT_EQ(combo(1031)->toolTip(), "COM3 is not present on this machine");

    // Typed text is refused by Open even when a device of that name exists, and the tooltip says so.
    peer->linkAs(portDir(), "COM12");
    QLineEdit* typed = combo(1031)->lineEdit();
    typed->selectAll();
    QTest::keyClicks(typed, "COM12");
    EXPECT_EQ(combo(1031)->toolTip(),
              "\"COM12\" is typed text: only a name picked from the list can be opened");
    click(1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "open fail");
    std::filesystem::remove(portDir() / "COM12");
}

} // namespace
} // namespace tq37r::test
