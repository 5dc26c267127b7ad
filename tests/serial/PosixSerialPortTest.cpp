// The Linux backend: exclusive opens, why an open fails, the line it sets up and puts back,
// and which device a COM name stands for.
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <tuple>

#include <gtest/gtest.h>

#include "serial/posix/KernelBaudRate.h"
#include "serial/posix/PortNames.h"
#include "serial/posix/PosixSerialPort.h"
#include "tests/serial/PtyPeer.h"

namespace tq37r {
namespace {

namespace fs = std::filesystem;
using test::PtyPeer;

// The lock turns away every program that checks it, root too; TIOCEXCL those that just open,
// but not root, which these tests may run as: its flag is read back instead.
TEST(PosixSerialPort, HoldsTheDeviceExclusivelyUntilClosed) {
    PtyPeer peer;
    PosixSerialPort first;
    PosixSerialPort second;
    int exclusive = -1;
    // Seven data bits, parity and two stop bits left by an earlier program: the line is 8-N-1 all the same.
    termios left{};
    ::tcgetattr(peer.slave(), &left);
    left.c_cflag = (left.c_cflag & ~CSIZE) | CS7 | CSTOPB | PARENB;
    ::tcsetattr(peer.slave(), TCSANOW, &left);
    ASSERT_TRUE(first.open("COM1", {19200}));
    termios line{};
    ::tcgetattr(peer.slave(), &line);
    EXPECT_EQ(line.c_cflag & (CSIZE | CSTOPB | PARENB), tcflag_t{CS8});
    const OpenResult refused = second.open("COM1", {19200});
    EXPECT_EQ(refused.failure, OpenFailure::InUse);
    EXPECT_NE(refused.osError, 0);
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(::flock(peer.slave(), LOCK_EX | LOCK_NB), -1);
    ASSERT_EQ(::ioctl(peer.slave(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);

    first.close();
    EXPECT_EQ(::flock(peer.slave(), LOCK_EX | LOCK_NB), 0);
    ::flock(peer.slave(), LOCK_UN);
    ASSERT_EQ(::ioctl(peer.slave(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    EXPECT_TRUE(second.open("COM1", {19200}));
}

using Outcome = std::tuple<OpenFailure, int, std::string>;
Outcome outcome(const OpenResult& result) {
    return {result.failure, result.osError, result.devicePath};
}

TEST(PosixSerialPort, FailedOpensSayWhyAndLeaveNothingHeld) {
    PtyPeer peer;
    PosixSerialPort port;
    const std::string dir = peer.portDir().string() + "/";
    // The peer's pty answers as COM3 alone, and COM4 is no terminal.
    fs::rename(dir + "COM1", dir + "COM3");
    std::ofstream(dir + "COM4") << "not a terminal";
    // COMn is looked up in the port folder alone, even where this machine has a port it would
    // count as COM1; any other name is a path.
    EXPECT_EQ(outcome(port.open("COM1", {19200})), Outcome(OpenFailure::NoSuchDevice, 0, ""));
    EXPECT_EQ(outcome(port.open("COM1x", {19200})), Outcome(OpenFailure::NoSuchDevice, ENOENT, "COM1x"));
    EXPECT_EQ(outcome(port.open("COM4", {19200})), Outcome(OpenFailure::Other, ENOTTY, dir + "COM4"));
    EXPECT_EQ(outcome(port.open("COM3", {.baudRate = 0})),
              Outcome(OpenFailure::RateNotSupported, 0, dir + "COM3"));
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.open("COM3", {19200}));
}

TEST(PosixSerialPort, RunsRaw8N1AtEveryRateAndPutsTheOldSettingsBack) {
    PtyPeer peer;
    const auto settings = [&] {
        termios line{};
        EXPECT_EQ(::tcgetattr(peer.slave(), &line), 0);
        return line;
    };
    // A cooked, echoing line at 2400 baud that hangs up at close.
    termios before = settings();
    before.c_lflag |= ECHO | ICANON;
    before.c_cflag |= HUPCL;
    ASSERT_EQ(::cfsetspeed(&before, B2400), 0);
    ASSERT_EQ(::tcsetattr(peer.slave(), TCSANOW, &before), 0);
    before = settings();

    for (const std::uint32_t rate : {115200, 57600, 56000, 38400, 19200, 14400, 9600, 4800}) {
        SCOPED_TRACE(rate);
        PosixSerialPort port;
        ASSERT_TRUE(port.open("COM1", {.baudRate = rate}));
        EXPECT_EQ(kernelBaudRate(peer.slave()), rate);
        const termios line = settings();
        EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD | HUPCL),
                  CS8 | CLOCAL | CREAD);
        EXPECT_EQ(line.c_iflag | line.c_oflag | line.c_lflag, 0u);
        port.close();
        const termios after = settings();
        EXPECT_EQ(std::tie(after.c_iflag, after.c_oflag, after.c_cflag, after.c_lflag),
                  std::tie(before.c_iflag, before.c_oflag, before.c_cflag, before.c_lflag));
        EXPECT_EQ(kernelBaudRate(peer.slave()), 2400u);
    }
}

// A made-up /dev and /sys/class/tty, to check the counting order without real hardware.
TEST(PortNames, UsbThenAcmThenRealUartsInNumericOrderUnlessComNIsThere) {
    std::string base = (fs::temp_directory_path() / "tq37r-names-XXXXXX").string();
    ASSERT_NE(::mkdtemp(base.data()), nullptr);
    const DeviceRoots roots{fs::path(base) / "dev", fs::path(base) / "sys"};
    fs::create_directories(roots.dev);
    // ttyUSBx and ttyS have no number, ttyS3 no sysfs entry.
    for (const char* name :
         {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyUSBx", "ttyS", "ttyS0", "ttyS1", "ttyS3", "ttyS12"}) {
        std::ofstream{roots.dev / name};
    }
    fs::create_directories(roots.sysTty / "ttyS0");
    fs::create_directories(roots.sysTty / "ttyS1");
    fs::create_directories(roots.sysTty / "ttyS12" / "device"); // no type, but a device behind it
    std::ofstream(roots.sysTty / "ttyS0" / "type") << "4\n";    // 16550A
    std::ofstream(roots.sysTty / "ttyS1" / "type") << "0\n";    // listed, but no UART there

    const auto at = [&](int n) { return fs::path(resolvePortName(n, roots)).filename().string(); };
    EXPECT_EQ(at(1), "ttyUSB2");
    EXPECT_EQ(at(2), "ttyUSB10");
    EXPECT_EQ(at(3), "ttyACM0");
    EXPECT_EQ(at(4), "ttyS0");
    EXPECT_EQ(at(5), "ttyS12");
    EXPECT_EQ(at(6), "");
    fs::create_symlink(roots.dev / "ttyACM0", roots.dev / "COM2");
    EXPECT_EQ(at(2), "COM2");
    EXPECT_EQ(at(3), "ttyACM0");
    fs::remove_all(base);
}

} // namespace
} // namespace tq37r
