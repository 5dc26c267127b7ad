#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

#include "device/Reply.h"
#include "device/Requests.h"
#include "protocol/TxFrame.h"
#include "sim/SimController.h"

namespace tq37r::sim {
namespace {

namespace fs = std::filesystem;

class FlashFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tq37r-flash-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / "flash.bin";
    }
    void TearDown() override { fs::remove_all(dir); }

    std::vector<WireFrame> send(SimController& c, std::size_t byteCount) {
        std::vector<WireFrame> replies;
        c.handleRequest(tx.bytes(byteCount), replies);
        return replies;
    }

    fs::path dir;
    fs::path file;
    TxFrame tx;
};

TEST_F(FlashFileTest, SavedSettingsComeBackInTheNextControllerAndUnsavedOnesDoNot) {
    {
        SimController first(FlashFile(file), FirmwareInfo{}, 1);
        EXPECT_FALSE(fs::exists(file)); // nothing is written before a save
        send(first, request::setGainGroup(tx, GainGroup::Pitch, 40, 2, 33));
        send(first, request::setTargetAltitude(tx, 1234));
        send(first, request::setMixingMode(tx, 3));
        send(first, request::autoReturnOn(tx));
        ASSERT_EQ(send(first, request::saveConfiguration(tx)).size(), 1u);
        // Changed after the save: lost with the power.
        send(first, request::setGainGroup(tx, GainGroup::X, 99, 99, 99));
    }
    SimController second(FlashFile(file), FirmwareInfo{}, 2);
    EXPECT_EQ(second.working(), second.flash());
    const auto b1 = std::get<reply::GainBlock1>(decodeReply(send(second, request::readGainBlock1(tx)).at(0)));
    EXPECT_EQ(b1.pitchLevelCoef, 40);
    EXPECT_EQ(b1.pitchStabilityContinue, 2);
    EXPECT_EQ(b1.pitchStabilityCoef, 33);
    const auto b2 = std::get<reply::GainBlock2>(decodeReply(send(second, request::readGainBlock2(tx)).at(0)));
    EXPECT_EQ(b2.xP, 15);
    const auto params =
        std::get<reply::FlightParams>(decodeReply(send(second, request::readFlightParams(tx)).at(0)));
    EXPECT_EQ(params.targetAltitude, 1234);
    EXPECT_EQ(std::get<reply::MixingMode>(decodeReply(send(second, request::readMixingMode(tx)).at(0))).item,
              3);
    EXPECT_TRUE(second.working().autoReturn);
}

TEST_F(FlashFileTest, DamagedFileIsRefusedRatherThanOverwritten) {
    {
        std::ofstream out(file, std::ios::binary);
        out << "not a flash image";
    }
    EXPECT_THROW(SimController(FlashFile(file), FirmwareInfo{}, 1), std::runtime_error);
    // A truncated image is refused too.
    ControllerSettings settings;
    ASSERT_TRUE(FlashFile(file).store(settings));
    fs::resize_file(file, fs::file_size(file) - 1);
    EXPECT_THROW(FlashFile(file).load(), std::runtime_error);
}

TEST_F(FlashFileTest, SaveThatCannotReachTheFileIsNotAcknowledged) {
    // The flash file's folder does not exist, so the image cannot be written.
    SimController c(FlashFile(dir / "missing" / "flash.bin"), FirmwareInfo{}, 1);
    send(c, request::setGainGroup(tx, GainGroup::Roll, 1, 2, 3));
    EXPECT_TRUE(send(c, request::saveConfiguration(tx)).empty());
    EXPECT_EQ(c.flash(), ControllerSettings{});
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST_F(FlashFileTest, OnlyAFileASaveCanReachIsUsable) {
    using ::testing::HasSubstr;
    EXPECT_EQ(FlashFile::unusable(file), ""); // a new file in a writable folder
    const fs::path noFolder = dir / "missing" / "flash.bin";
    EXPECT_THAT(FlashFile::unusable(noFolder), HasSubstr(noFolder.string()));
    EXPECT_THAT(FlashFile::unusable(dir), HasSubstr(dir.string()));
    ASSERT_TRUE(FlashFile(file).store(ControllerSettings{}));
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_THAT(FlashFile::unusable(file), HasSubstr(file.string()));
}

TEST_F(FlashFileTest, StoreReplacesTheImageWholeAndLeavesNoTemporaryBehind) {
    ControllerSettings a;
    a.gainBlock1.fill(0xA5);
    a.targetAltitude = 0xFFFF;
    a.mixingMode = 0x81;
    ASSERT_TRUE(FlashFile(file).store(a));
    ControllerSettings b;
    b.circlingRadius = 7;
    ASSERT_TRUE(FlashFile(file).store(b));
    EXPECT_EQ(FlashFile(file).load(), b);
    ASSERT_TRUE(FlashFile(file).store(a));
    EXPECT_EQ(FlashFile(file).load(), a);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
}

} // namespace
} // namespace tq37r::sim
