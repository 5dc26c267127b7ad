#include <sys/file.h>
#include <termios.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "serial/posix/KernelBaudRate.h"
#include "serial/posix/PosixSerialPort.h"
#include "tests/serial/PtyPeer.h"

namespace tq37r {
namespace {

using namespace std::chrono_literals;
using test::PtyPeer;

TEST(PosixSerialPort, HoldsTheDeviceExclusivelyUntilClosed) {
    PtyPeer peer;
    PosixSerialPort first;
    PosixSerialPort second;
    ASSERT_TRUE(first.open("COM1", {}));

    const OpenResult refused = second.open("COM1", {});
    EXPECT_EQ(refused.failure, OpenFailure::InUse);
    EXPECT_NE(refused.osError, 0);
    EXPECT_FALSE(second.isOpen());
    // The lock turns away programs that check it, TIOCEXCL those that just open.
    EXPECT_EQ(::flock(peer.slave(), LOCK_EX | LOCK_NB), -1);
    EXPECT_EQ(peer.openWithoutAdmin(), EBUSY);

    first.close();
    EXPECT_EQ(::flock(peer.slave(), LOCK_EX | LOCK_NB), 0);
    ::flock(peer.slave(), LOCK_UN);
    EXPECT_EQ(peer.openWithoutAdmin(), 0);
    EXPECT_TRUE(second.open("COM1", {}));
}

using Outcome = std::tuple<OpenFailure, int, std::string>;
Outcome outcome(const OpenResult& result) {
    return {result.failure, result.osError, result.devicePath};
}

TEST(PosixSerialPort, FailedOpensSayWhyAndLeaveNothingHeld) {
    PtyPeer peer(3);
    PosixSerialPort port;
    std::ofstream(peer.portDir() / "COM4") << "not a terminal";
    const std::string dir = peer.portDir().string() + "/";
    // COMn is looked up in the port folder alone; any other name is a path.
    EXPECT_EQ(outcome(port.open("COM0", {})), Outcome(OpenFailure::NoSuchDevice, 0, ""));
    EXPECT_EQ(outcome(port.open("COM1", {})), Outcome(OpenFailure::NoSuchDevice, 0, ""));
    EXPECT_EQ(outcome(port.open("COM1x", {})), Outcome(OpenFailure::NoSuchDevice, ENOENT, "COM1x"));
    EXPECT_EQ(outcome(port.open(dir + "gone", {})), Outcome(OpenFailure::NoSuchDevice, ENOENT, dir + "gone"));
    EXPECT_EQ(outcome(port.open("COM4", {})), Outcome(OpenFailure::Other, ENOTTY, dir + "COM4"));
    EXPECT_EQ(outcome(port.open("COM3", {.baudRate = 0})),
              Outcome(OpenFailure::RateNotSupported, 0, dir + "COM3"));
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.open("COM3", {}));
}

TEST(PosixSerialPort, RunsRaw8N1AtEveryRateAndPutsTheOldSettingsBack) {
    PtyPeer peer;
    // A cooked, echoing line at 2400 baud that hangs up at close.
    termios before{};
    ASSERT_EQ(::tcgetattr(peer.slave(), &before), 0);
    before.c_lflag |= ECHO | ICANON;
    before.c_cflag |= HUPCL;
    ASSERT_EQ(::cfsetspeed(&before, B2400), 0);
    ASSERT_EQ(::tcsetattr(peer.slave(), TCSANOW, &before), 0);
    ASSERT_EQ(::tcgetattr(peer.slave(), &before), 0);

    for (const std::uint32_t rate : {115200, 57600, 56000, 38400, 19200, 14400, 9600, 4800}) {
        SCOPED_TRACE(rate);
        PosixSerialPort port;
        ASSERT_TRUE(port.open("COM1", {.baudRate = rate}));
        EXPECT_EQ(kernelBaudRate(peer.slave()), rate);
        termios line{};
        ASSERT_EQ(::tcgetattr(peer.slave(), &line), 0);
        EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD), CS8 | CLOCAL | CREAD);
        EXPECT_EQ(line.c_cflag & HUPCL, 0u);
        EXPECT_EQ(line.c_iflag | line.c_oflag | line.c_lflag, 0u);
        port.close();

        termios after{};
        ASSERT_EQ(::tcgetattr(peer.slave(), &after), 0);
        EXPECT_EQ(std::tie(after.c_iflag, after.c_oflag, after.c_cflag, after.c_lflag),
                  std::tie(before.c_iflag, before.c_oflag, before.c_cflag, before.c_lflag));
        EXPECT_EQ(kernelBaudRate(peer.slave()), 2400u);
    }
}

TEST(PosixSerialPort, WriteGivesUpAfterItsTimeoutWhenThePeerNeverReads) {
    PtyPeer peer;
    PosixSerialPort port;
    ASSERT_TRUE(port.open("COM1", {.baudRate = 115200, .writeTimeout = 300ms}));
    // Far more than a pty holds: only the time-out can end this write.
    const std::vector<std::uint8_t> flood(1 << 20, 0x55);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.write(flood));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 5s);
}

} // namespace
} // namespace tq37r
