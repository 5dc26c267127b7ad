#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "serial/posix/PortNames.h"

namespace tq37r {
namespace {

namespace fs = std::filesystem;

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
