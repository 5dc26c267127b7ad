// The Win32 backend under Wine, against a pty that Wine maps as COM1.
#include <windows.h>

#include <fstream>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "serial/win32/Win32OpenFailure.h"
#include "tests/serial/PtyPeer.h"

namespace tq37r {
namespace {

TEST(Win32SerialPort, FailedOpensSayWhyAndLeaveNothingHeld) {
    test::PtyPeer peer;
    Win32SerialPort port;
    const OpenResult absent = port.open("COM7", {19200});
    EXPECT_EQ(std::tie(absent.failure, absent.osError, absent.devicePath),
              std::tuple(OpenFailure::NoSuchDevice, ERROR_FILE_NOT_FOUND, ""));
    std::ofstream("not-a-port.txt") << "a file, not a communications device";
    const OpenResult file = port.open("not-a-port.txt", {19200});
    ::DeleteFileA("not-a-port.txt");
    EXPECT_EQ(std::tie(file.failure, file.devicePath), std::tuple(OpenFailure::Other, "not-a-port.txt"));
    EXPECT_NE(file.osError, 0);
    EXPECT_EQ(port.open("COM1", {.baudRate = 0}).failure, OpenFailure::RateNotSupported);
    EXPECT_FALSE(port.isOpen());
    const OpenResult opened = port.open("COM1", {19200});
    EXPECT_TRUE(opened);
    EXPECT_NE(opened.devicePath, ""); // the NT device behind the name
    // Wine does not refuse a second opener as a Windows driver does, with ERROR_ACCESS_DENIED
    // (or a sharing violation): what that means is checked in the error mapping instead.
    EXPECT_EQ(openFailureFromWin32Error(ERROR_ACCESS_DENIED), OpenFailure::InUse);
    EXPECT_EQ(openFailureFromWin32Error(ERROR_SHARING_VIOLATION), OpenFailure::InUse);
}

// Wine runs a pty at 38400 for a rate a tty has no constant for (14400, 56000): those are left out.
TEST(Win32SerialPort, Runs8N1WithoutFlowControlAtTheRateAsked) {
    test::PtyPeer peer;
    for (const std::uint32_t rate : {115200, 57600, 38400, 19200, 9600, 4800}) {
        Win32SerialPort port;
        ASSERT_TRUE(port.open("COM1", {.baudRate = rate}));
        EXPECT_EQ(peer.line(), std::to_string(rate) + " 8N1 rtscts=0 xonxoff=0");
    }
}

} // namespace
} // namespace tq37r
