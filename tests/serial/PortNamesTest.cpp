#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "serial/PortNames.h"
#include "tests/serial/PtyPeer.h"

namespace tq37r {
namespace {

namespace fs = std::filesystem;

TEST(PortNames, PortDirectoryIsTheOnlyPlaceLookedAtWhenSet) {
    test::PtyPeer peer(3);
    EXPECT_EQ(resolvePortName(3), (peer.portDir() / "COM3").string());
    EXPECT_EQ(resolvePortName(1), ""); // never falls back to the machine's devices
    EXPECT_EQ(resolvePortName(0), "");
    EXPECT_EQ(resolvePortName(-3), "");
}

// A made-up /dev and /sys/class/tty, to check the counting order without real hardware.
class FakeDevices : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tq37r-names-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        base_ = pattern;
        roots_.dev = base_ / "dev";
        roots_.sysTty = base_ / "sys";
        fs::create_directories(roots_.dev);
        fs::create_directories(roots_.sysTty);
    }
    void TearDown() override { fs::remove_all(base_); }

    void device(const std::string& name) { std::ofstream(roots_.dev / name).put('\0'); }
    void uart(const std::string& name, const char* type) {
        device(name);
        fs::create_directories(roots_.sysTty / name);
        if (type != nullptr) {
            std::ofstream(roots_.sysTty / name / "type") << type << '\n';
        } else {
            fs::create_directory(roots_.sysTty / name / "device");
        }
    }
    std::string dev(const std::string& name) const { return (roots_.dev / name).string(); }

    fs::path base_;
    DeviceRoots roots_;
};

TEST_F(FakeDevices, UsbThenAcmThenRealUartsEachInNumericOrder) {
    device("ttyUSB10");
    device("ttyUSB2");
    device("ttyACM0");
    device("ttyUSBx");  // not a numbered device
    device("ttyS");     // no number
    uart("ttyS0", "4"); // 16550A
    uart("ttyS1", "0"); // listed, but nothing behind it
    uart("ttyS12", nullptr);
    device("ttyS3"); // no sysfs entry at all

    EXPECT_EQ(resolvePortName(1, roots_), dev("ttyUSB2"));
    EXPECT_EQ(resolvePortName(2, roots_), dev("ttyUSB10"));
    EXPECT_EQ(resolvePortName(3, roots_), dev("ttyACM0"));
    EXPECT_EQ(resolvePortName(4, roots_), dev("ttyS0"));
    EXPECT_EQ(resolvePortName(5, roots_), dev("ttyS12"));
    EXPECT_EQ(resolvePortName(6, roots_), "");
}

TEST_F(FakeDevices, StableComNameWinsOverCounting) {
    device("ttyUSB0");
    device("ttyUSB1");
    fs::create_symlink(roots_.dev / "ttyUSB1", roots_.dev / "COM1");
    EXPECT_EQ(resolvePortName(1, roots_), dev("COM1"));
    EXPECT_EQ(resolvePortName(2, roots_), dev("ttyUSB1"));
}

} // namespace
} // namespace tq37r
