#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "SimProcess.h"
#include "device/Requests.h"
#include "sim/FaultInjector.h"
#include "sim/SimController.h"
#include "sim/SimOptions.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::sim {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::build;
using testing::SimProcess;
using Shown = std::vector<std::string>;

// What the tool makes of the controller's answers to the request just assembled in tx.
Shown answers(SimController& controller, const TxFrame& tx, std::size_t byteCount) {
    std::vector<WireFrame> replies;
    controller.handleRequest(tx.bytes(byteCount), replies);
    Shown shown(replies.size());
    std::transform(replies.begin(), replies.end(), shown.begin(),
                   [](const WireFrame& f) { return test::describe(decodeReply(f)); });
    return shown;
}

// A folder of the test's own for flash files, and for port links in a subfolder not made yet.
class Simulator : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
        ::setenv("TQ37R_PORT_DIR", ports.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("TQ37R_PORT_DIR");
        fs::remove_all(dir);
    }
    const fs::path dir = fs::temp_directory_path() / ("tq37r-sim-" + std::to_string(::getpid()));
    const fs::path ports = dir / "ports";
};

TEST(SimController, AnswersEachRequestWithWhatTheToolExpects) {
    SimController controller(std::nullopt, FirmwareInfo{}, 7);
    EXPECT_EQ(test::describe(decodeReply(controller.stateReport())), "mode 0 task 255");
    // In order, on one controller: distinct values per gain row, so a row stored in another's place shows.
    const std::pair<test::Builder, Shown> exchanges[] = {
        {build(request::setGainGroup, GainGroup::Pitch, 1, 2, 3), {"ack E4 Pitch control set OK！ /20"}},
        {build(request::setGainGroup, GainGroup::Roll, 4, 5, 6), {"ack E5 Roll control set OK！ /20"}},
        {build(request::setGainGroup, GainGroup::Heading, 7, 8, 9), {"ack E3 Heading control set OK！ /20"}},
        {build(request::setGainGroup, GainGroup::Other, 10, 11, 12), {"ack E0 Other control set OK！ /20"}},
        {build(request::setGainGroup, GainGroup::Height, 13, 14, 15), {"ack E1 Height control set OK！ /20"}},
        {build(request::setGainGroup, GainGroup::X, 17, 18, 19), {"ack E7 X PID set OK！ /20"}},
        {build(request::setGainGroup, GainGroup::Y, 20, 21, 22), {"ack E6 Y PID set OK！ /20"}},
        {build(request::readGainBlock1),
         {"other 10 11 12 height 13 14 15 heading 7 8 9 pitch 1 2 3 roll 4 5 6 Read TQ-36R OK！ /20"}},
        {build(request::readGainBlock2), {"Y 20 21 22 X 17 18 19 Read TQ-36R OK！ /20"}},
        {build(request::setTargetAltitude, 300), {"ack B1 设置目标高度成功！ /20"}},
        {build(request::setCirclingRadius, 65535), {"ack B2 设置盘旋半径成功！ /20"}},
        {build(request::readFlightParams), {"300 65535 读取飞行参数成功！ /20"}},
        {build(request::setMixingMode, 1), {"ack D1 设置混控模式成功！ /20"}},
        {build(request::readMixingMode), {"item 1 读取混控模式成功！ /20"}},
        {build(request::setFlightMode, FlightMode::Auto), {"ack D2 none"}},
        {build(request::setTask, Task::Circle), {"ack D4 none"}},
        {build(request::autoReturnOn), {"ack 92 设置是否自动返航成功！ /20"}},
        // The version last, so its text is what stays in the status line.
        {build(request::firmwareVersion),
         {"ack 92 设置是否自动返航成功！ /20", "TQ-37 Firmware version: 1.20 /60"}},
        {build(request::saveConfiguration), {"ack 86 Save configuration parameters success！ /20"}},
    };
    TxFrame tx;
    for (const auto& [request, shown] : exchanges) {
        EXPECT_EQ(answers(controller, tx, request(tx)), shown);
    }
    EXPECT_EQ(test::describe(decodeReply(controller.stateReport())), "mode 2 task 1");
    EXPECT_FALSE(controller.working().autoReturn) << "the version request also switches automatic return off";

    std::vector<WireFrame> replies;
    controller.handleRequest(tx.bytes(request::gyroSelfTest(tx)), replies);
    const auto gyro = std::get<reply::GyroResult>(decodeReply(replies.at(0)));
    const GyroReading& taken = controller.lastGyro();
    EXPECT_EQ((std::vector{gyro.x, gyro.y, gyro.z}),
              (std::vector{taken.x * 0.1, taken.y * 0.1, taken.z * 0.1}));
}

TEST_F(Simulator, SavedSettingsSurviveARestartAndOthersDoNot) {
    const fs::path file = dir / "flash.bin";
    // Every field unlike its default, so each must come back from the image as it was stored.
    ControllerSettings odd{.circlingRadius = 0xFEDC, .mixingMode = 0x81, .autoReturn = true};
    odd.gainBlock1.fill(0xA5);
    odd.gainBlock2.fill(0x96);
    ASSERT_TRUE(FlashFile(file).store(odd));
    TxFrame tx;
    {
        SimController first(FlashFile(file), FirmwareInfo{}, 1);
        EXPECT_EQ(first.working(), odd);
        answers(first, tx, request::setTargetAltitude(tx, 1234));
        EXPECT_EQ(answers(first, tx, request::saveConfiguration(tx)).size(), 1u);
        answers(first, tx, request::setGainGroup(tx, GainGroup::X, 99, 99, 99)); // lost with the power
    }
    odd.targetAltitude = 1234;
    EXPECT_EQ(SimController(FlashFile(file), FirmwareInfo{}, 2).working(), odd);

    // A damaged image is refused rather than replaced by defaults.
    std::fstream(file, std::ios::in | std::ios::out | std::ios::binary).put('X');
    EXPECT_THROW(SimController(FlashFile(file), FirmwareInfo{}, 3), std::runtime_error);
    // A save that cannot reach its file is not acknowledged.
    SimController lost(FlashFile(dir / "missing" / "flash.bin"), FirmwareInfo{}, 4);
    EXPECT_EQ(answers(lost, tx, request::saveConfiguration(tx)), Shown{});
}

TEST(FaultInjector, SameSeedSpoilsTheLineAlikeAndItsGarbageNeverHoldsAHeader) {
    const test::Bytes frame = test::makeFrame(0xF1, {0x00, 0x06, 0x08});
    const test::Bytes header{0xA5, 0x5A};
    std::size_t headers = 0, mislabelled = 0;
    const auto spoil = [&](std::uint32_t seed, int frames) {
        FaultInjector injector({.noise = 1, .corrupt = 0.3}, seed);
        test::Bytes line;
        for (int i = 0; i < frames; ++i) {
            const auto start = static_cast<std::ptrdiff_t>(line.size());
            const FaultInjector::Outcome outcome = injector.shape(frame, line);
            const auto noise = line.begin() + start;
            const auto end = noise + static_cast<std::ptrdiff_t>(outcome.noiseBytes);
            headers += std::search(noise, end, header.begin(), header.end()) != end;
            mislabelled += std::equal(frame.begin(), frame.end(), end) == outcome.corrupted;
        }
        return line;
    };
    EXPECT_EQ(spoil(42, 1000), spoil(42, 1000));
    EXPECT_NE(spoil(42, 1000), spoil(43, 1000));
    spoil(7, 200000); // enough garbage that an unguarded A5 5A would turn up many times
    EXPECT_EQ(headers, 0u);
    EXPECT_EQ(mislabelled, 0u) << "a frame reported spoiled must be spoiled, and only then";
}

ParseResult parse(std::vector<std::string> args) {
    args.insert(args.begin(), "tq37r-sim");
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    return parseOptions(static_cast<int>(argv.size()), argv.data());
}

TEST(SimOptions, TakesEachValueForItsOwnOptionAndRefusesBadOnesNamingTheOption) {
    const ParseResult parsed = parse({"--port", "COM2", "--corrupt", "0.25", "--firmware-version", "2.05"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->portName, "COM2");
    EXPECT_EQ(parsed.options->faults.corrupt, 0.25);
    EXPECT_EQ(parsed.options->firmware.versionHundredths, 205);

    const fs::path noFolder = fs::temp_directory_path() / "tq37r-no-such-folder" / "f";
    const std::vector<std::vector<std::string>> refused{
        {"--port", "--flood"}, // the value was left out; --flood is not a port name
        {"--port"},
        {"--seed", "1", "--seed", "2"},
        {"--flood", "--flood"},
        {"--baud", "4000001"},
        {"--noise", "nan"},
        {"--firmware-model", "256"},
        {"--port", ".."},
        {"--flash", noFolder.string()},
        {"--flash", fs::temp_directory_path().string()}, // a folder, not a file
        {"--bogus"},
    };
    for (const std::vector<std::string>& args : refused) {
        const ParseResult refusal = parse(args);
        EXPECT_FALSE(refusal.options) << args[0] << " " << args.back();
        EXPECT_THAT(refusal.error, ::testing::HasSubstr(args[0]));
    }
}

TEST_F(Simulator, HelpOrTheTimeLimitEndWithStatusZeroAndARefusalWithTwo) {
    SimProcess help({TQ37R_SIM_PATH, "--help"});
    EXPECT_TRUE(help.readLine(5s).starts_with("Usage: tq37r-sim"));
    EXPECT_EQ(help.waitExit(5s), 0);
    SimProcess repeated({TQ37R_SIM_PATH, "--seed", "1", "--seed", "2"});
    EXPECT_EQ(repeated.waitExit(5s), 2);
    SimProcess timed({TQ37R_SIM_PATH, "--exit-after-ms", "100"});
    EXPECT_EQ(timed.waitExit(5s), 0);
    // A damaged flash file passes the option check, but not the load.
    std::ofstream(dir / "flash.bin") << "garbage";
    SimProcess damaged({TQ37R_SIM_PATH, "--flash", (dir / "flash.bin").string()});
    EXPECT_EQ(damaged.waitExit(5s), 2);
}

TEST_F(Simulator, LinkOfAKilledSimulatorIsReplacedButALiveOneIsNot) {
    {
        SimProcess killed({TQ37R_SIM_PATH, "--port", "COM1", "--device-path"});
        ASSERT_FALSE(killed.readLine(5s).empty());
    } // SIGKILL: its link stays behind, and the next pty made may well reuse its number
    ASSERT_TRUE(fs::is_symlink(fs::symlink_status(ports / "COM1")));
    SimProcess sim({TQ37R_SIM_PATH, "--port", "COM1", "--device-path"});
    const std::string path = sim.readLine(5s);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(fs::read_symlink(ports / "COM1"), path);

    // A second live simulator on the name refuses and leaves the link as it is.
    SimProcess second({TQ37R_SIM_PATH, "--port", "COM1"});
    EXPECT_EQ(second.waitExit(5s), 2);
    EXPECT_EQ(fs::read_symlink(ports / "COM1"), path);
    // So does one whose name a file that is not a link holds.
    std::ofstream(ports / "COM2") << "device";
    SimProcess blocked({TQ37R_SIM_PATH, "--port", "COM2"});
    EXPECT_EQ(blocked.waitExit(5s), 2);

    // Hanging up, as a pulled cable, ends the simulator, and its link goes with it.
    sim.signal(SIGUSR1);
    EXPECT_EQ(sim.waitExit(5s), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(ports / "COM1")));
}

} // namespace
} // namespace tq37r::sim
