#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "serial/NotifyingSerialPort.h"
#include "tests/serial/KernelRate.h"
#include "tests/serial/PtyPeer.h"

namespace tq37r {
namespace {

using test::PtyPeer;

constexpr std::array<std::uint32_t, 8> kBaudTable{115200, 57600, 56000, 38400, 19200, 14400, 9600, 4800};

void setLine(SerialPort& port, int portNumber, std::uint32_t baud) {
    port.portNumber = portNumber;
    port.dcb.baudRate = baud;
    port.dcb.byteSize = 8;
    port.dcb.parity = 0;
    port.dcb.stopBits = 0;
}

std::size_t openDescriptors() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                  std::filesystem::directory_iterator{}));
}

TEST(SerialPortLifecycle, OpenCloseCyclesReleaseEverything) {
    PtyPeer peer(12);
    NotifyingSerialPort port;
    EXPECT_FALSE(port.isOpen());
    port.close(); // closing a never-opened port is harmless
    setLine(port, 12, 115200);

    const std::size_t before = openDescriptors();
    for (int cycle = 0; cycle < 50; ++cycle) {
        ASSERT_TRUE(port.open()) << "cycle " << cycle;
        EXPECT_TRUE(port.isOpen());
        EXPECT_EQ(port.lastDevicePath(), (peer.portDir() / "COM12").string());
        port.close();
        EXPECT_FALSE(port.isOpen());
        port.close();
    }
    EXPECT_EQ(openDescriptors(), before);

    // open on an open port closes first: the old descriptor must not keep the lock.
    ASSERT_TRUE(port.open());
    ASSERT_TRUE(port.open());
    port.close();
    EXPECT_EQ(openDescriptors(), before);
    NotifyingSerialPort other;
    setLine(other, 12, 9600);
    EXPECT_TRUE(other.open());
}

TEST(SerialPortLifecycle, SecondOpenOfTheSameDeviceFails) {
    PtyPeer peer;
    NotifyingSerialPort first;
    NotifyingSerialPort second;
    setLine(first, 1, 115200);
    setLine(second, 1, 115200);
    ASSERT_TRUE(first.open());

    EXPECT_FALSE(second.open());
    EXPECT_EQ(second.lastOpenFailure(), OpenFailure::InUse);
    EXPECT_FALSE(second.isOpen());

    // Another program that honours the lock is turned away as well; TIOCEXCL is set
    // for those that do not (root passes it, so it is checked, not exercised).
    const int foreign = ::open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(foreign, 0);
    EXPECT_NE(::flock(foreign, LOCK_EX | LOCK_NB), 0);
    ::close(foreign);
    int exclusive = 0;
    ASSERT_EQ(::ioctl(peer.slave(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);

    first.close();
    ASSERT_EQ(::ioctl(peer.slave(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    EXPECT_TRUE(second.open());
}

TEST(SerialPortLifecycle, FailedOpensSayWhy) {
    PtyPeer peer(1);
    NotifyingSerialPort port;

    setLine(port, 9, 115200); // no COM9 in the port directory
    EXPECT_FALSE(port.open());
    EXPECT_EQ(port.lastOpenFailure(), OpenFailure::NoSuchDevice);
    EXPECT_EQ(port.lastDevicePath(), "");

    std::filesystem::create_symlink(peer.portDir() / "gone", peer.portDir() / "COM2");
    setLine(port, 2, 115200);
    EXPECT_FALSE(port.open());
    EXPECT_EQ(port.lastOpenFailure(), OpenFailure::NoSuchDevice);

    std::ofstream(peer.portDir() / "COM3") << "not a terminal";
    setLine(port, 3, 115200);
    EXPECT_FALSE(port.open());
    EXPECT_EQ(port.lastOpenFailure(), OpenFailure::Other);
    EXPECT_EQ(port.lastDevicePath(), (peer.portDir() / "COM3").string());

    setLine(port, 1, 0);
    EXPECT_FALSE(port.open());
    EXPECT_EQ(port.lastOpenFailure(), OpenFailure::RateNotSupported);
    EXPECT_FALSE(port.isOpen());

    // None of the failures left the device locked.
    setLine(port, 1, 4800);
    EXPECT_TRUE(port.open());
    EXPECT_EQ(port.lastOpenFailure(), OpenFailure::None);
}

TEST(SerialPortSettings, EveryBaudOfTheListIsAppliedRaw8N1) {
    PtyPeer peer;
    termios original{};
    ASSERT_EQ(::tcgetattr(peer.slave(), &original), 0);
    const auto originalRate = test::deviceRate(peer.slave());

    for (const std::uint32_t baud : kBaudTable) {
        SCOPED_TRACE(baud);
        NotifyingSerialPort port;
        setLine(port, 1, baud);
        ASSERT_TRUE(port.open());

        EXPECT_EQ(test::deviceRate(peer.slave()), baud);
        termios line{};
        ASSERT_EQ(::tcgetattr(peer.slave(), &line), 0);
        EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS | HUPCL), 0u);
        EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
        EXPECT_EQ(line.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | INPCK | PARMRK),
                  0u);
        EXPECT_EQ(line.c_oflag & OPOST, 0u);
        EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        port.close();

        // The device gets its old settings back.
        termios after{};
        ASSERT_EQ(::tcgetattr(peer.slave(), &after), 0);
        EXPECT_EQ(after.c_lflag, original.c_lflag);
        EXPECT_EQ(after.c_iflag, original.c_iflag);
        EXPECT_EQ(test::deviceRate(peer.slave()), originalRate);
    }
}

// A pty forces 8 data bits without parity whatever it is asked, so only the stop bits can be seen here.
TEST(SerialPortSettings, StopBitsFollowTheLineSettings) {
    PtyPeer peer;
    NotifyingSerialPort port;
    setLine(port, 1, 19200);
    port.dcb.stopBits = 2;
    ASSERT_TRUE(port.open());
    termios line{};
    ASSERT_EQ(::tcgetattr(peer.slave(), &line), 0);
    EXPECT_EQ(line.c_cflag & CSTOPB, static_cast<tcflag_t>(CSTOPB));
}

} // namespace
} // namespace tq37r
