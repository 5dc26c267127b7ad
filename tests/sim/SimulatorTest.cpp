#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "SimProcess.h"
#include "device/Codes.h"
#include "device/ControllerLink.h"
#include "device/Requests.h"
#include "protocol/FrameReceiver.h"
#include "protocol/LineTime.h"
#include "protocol/TxFrame.h"
#include "serial/posix/KernelBaudRate.h"
#include "sim/FaultInjector.h"
#include "sim/SimController.h"
#include "sim/SimOptions.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::sim {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Shown = std::vector<std::string>;
using Clock = std::chrono::steady_clock;
using Codes = std::vector<std::uint8_t>;

// What the tool makes of the controller's answers to one request.
Shown answers(SimController& controller, const Request& request) {
    TxFrame tx;
    std::vector<WireFrame> replies;
    controller.handleRequest(tx.bytes(tx.assemble(request.code, request.payload())), replies);
    Shown shown(replies.size());
    std::transform(replies.begin(), replies.end(), shown.begin(),
                   [](const WireFrame& reply) { return test::describe(decodeReply(reply)); });
    return shown;
}

// The tool's end of a simulator's line: its pty opened at a rate, as the tool opens it.
struct ToolEnd {
    ToolEnd(const std::string& path, std::uint32_t rate) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
        // The simulator has made the line raw already.
        EXPECT_TRUE(setKernelBaudRate(fd, rate));
        ::tcflush(fd, TCIOFLUSH);
    }
    ~ToolEnd() { ::close(fd); }
    // When the request was written.
    Clock::time_point send(const Request& request) {
        TxFrame tx;
        const std::size_t size = tx.assemble(request.code, request.payload());
        EXPECT_EQ(::write(fd, tx.bytes(size).data(), size), static_cast<ssize_t>(size));
        return Clock::now();
    }
    // The codes of the frames that come within `within`, up to a frame with code `until`.
    Codes listen(std::chrono::milliseconds within, int until = -1) {
        Codes codes;
        auto onFrame = [&codes](std::span<const std::uint8_t> f) { codes.push_back(f[frame::kCodeOffset]); };
        std::uint8_t buffer[256];
        for (const auto end = Clock::now() + within; codes.empty() || codes.back() != until;) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(std::max(end - Clock::now(), Clock::duration{}) / 1ms)) <= 0) {
                break;
            }
            const auto n = static_cast<std::size_t>(std::max<ssize_t>(::read(fd, buffer, sizeof buffer), 0));
            const Clock::time_point now = Clock::now();
            firstByte = firstByte.value_or(now);
            ++reads;
            std::for_each(buffer, buffer + n, [&](std::uint8_t b) { heard.push_back({b, now}); });
            receiver.feed({buffer, n}, onFrame);
        }
        return codes;
    }
    int fd;
    FrameReceiver receiver;
    std::optional<Clock::time_point> firstByte; // of any kind, frame or not
    // Each byte with when its read returned.
    std::vector<std::pair<std::uint8_t, Clock::time_point>> heard;
    int reads = 0;
};

// A folder of the test's own for flash files, and for port links in a subfolder not made yet.
struct Simulator : ::testing::Test {
    Simulator() { fs::create_directories(dir); }
    ~Simulator() override { fs::remove_all(dir); }
    const fs::path dir = fs::temp_directory_path() / ("tq37r-sim-" + std::to_string(::getpid()));
    const fs::path ports = dir / "ports";
};

TEST(SimController, AnswersEachRequestWithWhatTheToolExpects) {
    SimController controller(std::nullopt, FirmwareInfo{}, 7);
    // In order, on one controller: distinct values per gain row, so a row stored in another's place shows.
    const std::pair<Request, Shown> exchanges[] = {
        {request::setGainRow(GainGroup::Pitch, 1, 2, 3), {"ack E4 Pitch control set OK！ /20"}},
        {request::setGainRow(GainGroup::Roll, 4, 5, 6), {"ack E5 Roll control set OK！ /20"}},
        {request::setGainRow(GainGroup::Heading, 7, 8, 9), {"ack E3 Heading control set OK！ /20"}},
        {request::setGainRow(GainGroup::Other, 10, 11, 12), {"ack E0 Other control set OK！ /20"}},
        {request::setGainRow(GainGroup::Height, 13, 14, 15), {"ack E1 Height control set OK！ /20"}},
        {request::setGainRow(GainGroup::X, 17, 18, 19), {"ack E7 X PID set OK！ /20"}},
        {request::setGainRow(GainGroup::Y, 20, 21, 22), {"ack E6 Y PID set OK！ /20"}},
        {request::readGainBlock(GainBlock::First),
         {"1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 Read TQ-36R OK！ /20"}},
        {request::readGainBlock(GainBlock::Second), {"17 18 19 20 21 22 Read TQ-36R OK！ /20"}},
        {request::setTargetAltitude(300), {"ack B1 设置目标高度成功！ /20"}},
        {request::setCirclingRadius(65535), {"ack B2 设置盘旋半径成功！ /20"}},
        {request::readFlightParams(), {"300 65535 读取飞行参数成功！ /20"}},
        {request::setMixingMode(1), {"ack D1 设置混控模式成功！ /20"}},
        {request::readMixingMode(), {"item 1 读取混控模式成功！ /20"}},
        {request::setFlightMode(FlightMode::Auto), {"ack D2 none"}},
        {request::setTask(Task::Circle), {"ack D4 none"}},
        {request::autoReturnOn(), {"ack 92 设置是否自动返航成功！ /20"}},
        // The version last, so its text is what stays in the status line.
        {request::firmwareVersion(),
         {"ack 92 设置是否自动返航成功！ /20", "TQ-37 Firmware version: 1.20 /60"}},
        {request::saveConfiguration(), {"ack 86 Save configuration parameters success！ /20"}},
    };
    for (const auto& [request, shown] : exchanges) {
        EXPECT_EQ(answers(controller, request), shown);
    }
    EXPECT_EQ(test::describe(decodeReply(controller.stateReport())), "mode 2 task 1");
    EXPECT_FALSE(controller.working().autoReturn) << "the version request also switches automatic return off";

    TxFrame tx;
    std::vector<WireFrame> replies;
    const Request selfTest = request::gyroSelfTest();
    controller.handleRequest(tx.bytes(tx.assemble(selfTest.code, selfTest.payload())), replies);
    const auto gyro = std::get<reply::GyroResult>(decodeReply(replies.at(0)));
    const GyroReading& g = controller.lastGyro();
    EXPECT_EQ((std::vector{gyro.x, gyro.y, gyro.z}), (std::vector{g.x * 0.1, g.y * 0.1, g.z * 0.1}));
    controller.failGyroSelfTest();
    EXPECT_EQ(answers(controller, request::gyroSelfTest()), Shown{"failed"});
}

TEST_F(Simulator, SavedSettingsSurviveARestartAndOthersDoNot) {
    const fs::path file = dir / "flash.bin";
    // Every field unlike its default, so each must come back from the image as it was stored.
    ControllerSettings odd{.circlingRadius = 0xFEDC, .mixingMode = 0x81, .autoReturn = true};
    odd.gainBlock1.fill(0xA5);
    odd.gainBlock2.fill(0x96);
    ASSERT_TRUE(FlashFile(file).store(odd));
    SimController first(FlashFile(file), FirmwareInfo{}, 1);
    answers(first, request::setTargetAltitude(1234));
    EXPECT_EQ(answers(first, request::saveConfiguration()).size(), 1u);
    answers(first, request::setGainRow(GainGroup::X, 99, 99, 99)); // lost with the power
    odd.targetAltitude = 1234;
    EXPECT_EQ(SimController(FlashFile(file), FirmwareInfo{}, 2).working(), odd);

    // A damaged image is refused rather than replaced by defaults.
    std::fstream(file, std::ios::in | std::ios::out | std::ios::binary).put('X');
    EXPECT_THROW(SimController(FlashFile(file), FirmwareInfo{}, 3), std::runtime_error);
    // So does the program, with status 2.
    EXPECT_EQ(testing::SimProcess({TQ37R_SIM_PATH, "--flash", file.string()}).waitExit(5s), 2);
    // A save that cannot reach its file is not acknowledged.
    SimController lost(FlashFile(dir / "missing" / "flash.bin"), FirmwareInfo{}, 4);
    EXPECT_EQ(answers(lost, request::saveConfiguration()), Shown{});
}

TEST(FaultInjector, SameSeedSpoilsTheLineAlikeAndItsGarbageNeverHoldsAHeader) {
    const test::Bytes frame = test::makeFrame(0xF1, {0x00, 0x06, 0x08});
    const FaultSettings faults{.noise = 1, .corrupt = 0.3};
    FaultInjector injector(faults, 42), same(faults, 42);
    test::Bytes line, sameLine;
    // What a tool at another rate hears holds no 5A, so no header however it is cut.
    FaultInjector(faults, 7).garble(1'000'000, line);
    EXPECT_EQ(std::ranges::count(line, frame::kHeader2), 0);
    line.clear();
    // Enough garbage that an unguarded A5 5A would turn up many times.
    for (int i = 0; i < 100000; ++i) {
        const auto start = static_cast<std::ptrdiff_t>(line.size());
        const FaultInjector::Outcome outcome = injector.shape(frame, line);
        same.shape(frame, sameLine);
        const auto noise = line.begin() + start,
                   end = noise + static_cast<std::ptrdiff_t>(outcome.noiseBytes);
        ASSERT_TRUE(std::adjacent_find(noise, end, [](auto a, auto b) { return a == 0xA5 && b == 0x5A; }) ==
                    end);
        ASSERT_NE(std::equal(frame.begin(), frame.end(), end), outcome.corrupted) << "spoiled, and only then";
    }
    EXPECT_EQ(line, sameLine);
}

TEST(SimOptions, RefusesBadOnesNamingTheOption) {
    // "--port --flood": the value was left out, and --flood is no port name. "." is a folder.
    for (const std::string line :
         {"--port --flood", "--port", "--seed 1 --seed 2", "--flood --flood", "--baud 4000001", "--noise nan",
          "--firmware-model 256", "--port ..", "--flash tq37r-no-such-folder/f", "--flash .", "--bogus"}) {
        std::istringstream words("tq37r-sim " + line);
        std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
        std::vector<char*> argv(args.size());
        std::transform(args.begin(), args.end(), argv.begin(), [](std::string& arg) { return arg.data(); });
        const ParseResult refusal = parseOptions(static_cast<int>(argv.size()), argv.data());
        EXPECT_FALSE(refusal.options) << line;
        EXPECT_NE(refusal.error.find(line.substr(0, line.find(' '))), std::string::npos) << refusal.error;
    }
}

TEST_F(Simulator, EndsAsToldAndReplacesOnlyAStaleLink) {
    ::setenv("TQ37R_PORT_DIR", ports.c_str(), 1);
    testing::SimProcess help({TQ37R_SIM_PATH, "--help"});
    EXPECT_TRUE(help.readLine(5s).starts_with("Usage: tq37r-sim"));
    EXPECT_EQ(help.waitExit(5s), 0);
    EXPECT_EQ(testing::SimProcess({TQ37R_SIM_PATH, "--seed", "1", "--seed", "2"}).waitExit(5s), 2);
    EXPECT_EQ(testing::SimProcess({TQ37R_SIM_PATH, "--exit-after-ms", "100"}).waitExit(5s), 0);

    const std::vector<std::string> com1{TQ37R_SIM_PATH, "--port", "COM1", "--device-path"};
    // Killed at once: its link stays behind, and the next pty made may well reuse its number.
    ASSERT_FALSE(testing::SimProcess(com1).readLine(5s).empty());
    ASSERT_TRUE(fs::is_symlink(fs::symlink_status(ports / "COM1")));
    testing::SimProcess sim(com1);
    const std::string path = sim.readLine(5s);
    EXPECT_EQ(fs::read_symlink(ports / "COM1"), path);
    // Neither a second live simulator on the name nor one whose name a plain file holds starts, and
    // both leave what holds the name as it is.
    std::ofstream(ports / "COM2") << "device";
    EXPECT_EQ(testing::SimProcess({TQ37R_SIM_PATH, "--port", "COM1"}).waitExit(5s), 2);
    EXPECT_EQ(testing::SimProcess({TQ37R_SIM_PATH, "--port", "COM2"}).waitExit(5s), 2);
    EXPECT_EQ(fs::read_symlink(ports / "COM1"), path);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(ports / "COM2")));
    // Hanging up, as a pulled cable, ends the simulator, and its link goes with it.
    sim.signal(SIGUSR1);
    EXPECT_EQ(sim.waitExit(5s), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(ports / "COM1")));
}

TEST(SimLine, AnswersOnlyAToolAtItsRateWhichItReadsAtEachRequest) {
    testing::SimProcess sim(
        {TQ37R_SIM_PATH, "--device-path", "--baud", "19200", "--report-ms", "20", "--stats"});
    const std::string path = sim.readLine(5s);
    {
        ToolEnd wrongRate(path, 57600);
        wrongRate.send(request::readGainBlock(GainBlock::First));
        EXPECT_EQ(wrongRate.listen(300ms), Codes{}) << "neither the answer nor a report is a frame";
        EXPECT_TRUE(wrongRate.firstByte) << "the reports come as garbage";
    }
    ToolEnd rightRate(path, 19200);
    rightRate.send(request::readGainBlock(GainBlock::First));
    EXPECT_EQ(std::ranges::count(rightRate.listen(1s, code::kGainBlock1), code::kGainBlock1), 1);
    EXPECT_NE(sim.stop().find("requests-wrong-rate EA 1\n"), std::string::npos);

    testing::SimProcess unpaced({TQ37R_SIM_PATH, "--device-path", "--baud", "0", "--report-ms", "0"});
    ToolEnd anyRate(unpaced.readLine(5s), 4800);
    anyRate.send(request::readGainBlock(GainBlock::First));
    EXPECT_EQ(anyRate.listen(1s, code::kGainBlock1), Codes{code::kGainBlock1});
}

TEST(SimLine, TakesRequestsAtTheLineRateAndASecondReadOnlyAfterTheGap) {
    testing::SimProcess sim(
        {TQ37R_SIM_PATH, "--device-path", "--baud", "9600", "--report-ms", "0", "--strict-gap", "--stats"});
    ToolEnd tool(sim.readLine(5s), 9600);
    // Two reads back to back: the first is answered, not before it is through the line; the second
    // came too soon. One sent 100 ms after its first is taken.
    Clock::time_point asked = tool.send(request::readGainBlock(GainBlock::First));
    tool.send(request::readGainBlock(GainBlock::Second));
    EXPECT_EQ(tool.listen(500ms), Codes{code::kGainBlock1}) << "the second read came too soon";
    EXPECT_GE(tool.firstByte.value_or(asked) - asked, lineTime(6, 9600));
    asked = tool.send(request::readGainBlock(GainBlock::First));
    std::this_thread::sleep_until(asked + request::kReadPairPause + 10ms);
    tool.send(request::readGainBlock(GainBlock::Second));
    EXPECT_EQ(tool.listen(1s, code::kGainBlock2), (Codes{code::kGainBlock1, code::kGainBlock2}));
    EXPECT_NE(sim.stop().find("requests-ignored-gap 1\n"), std::string::npos);
}

TEST(SimLine, SendsEachAnswerByteNoSoonerThanAUartAfterTheRequestAndTheAnswersBeforeIt) {
    const std::size_t requestBytes =
        frame::sizeForPayload(request::readGainBlock(GainBlock::First).payloadSize);
    for (const std::uint32_t baud : {4800u, 115200u}) {
        testing::SimProcess sim(
            {TQ37R_SIM_PATH, "--device-path", "--baud", std::to_string(baud), "--report-ms", "0"});
        ToolEnd tool(sim.readLine(5s), baud);
        // Two requests back to back: the second answer waits for the line behind the first. Byte i of
        // the two can be through no sooner than the first request and i + 1 bytes after it.
        const Clock::time_point asked = Clock::now();
        tool.send(request::readGainBlock(GainBlock::First));
        tool.send(request::readFlightParams());
        ASSERT_EQ(tool.listen(2s, code::kFlightParams), (Codes{code::kGainBlock1, code::kFlightParams}))
            << baud;
        for (std::size_t i = 0; i < tool.heard.size(); ++i) {
            ASSERT_GE(tool.heard[i].second - asked, lineTime(requestBytes + i + 1, baud))
                << "byte " << i << " at " << baud;
        }
        EXPECT_TRUE(baud > 4800 || tool.reads > 1) << tool.heard.size() << " bytes came in one read";
    }
}

TEST(SimLine, AToolTurnedToAnotherRateHearsNoFrameStartInTheAnswersStillToCome) {
    testing::SimProcess sim({TQ37R_SIM_PATH, "--device-path", "--baud", "4800", "--report-ms", "0"});
    ToolEnd tool(sim.readLine(5s), 4800);
    // Each answered by an acknowledgement and the version: the tool changes its rate as the first begins.
    for (int i = 0; i < 20; ++i) {
        tool.send(request::firmwareVersion());
    }
    pollfd p{tool.fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    ASSERT_TRUE(setKernelBaudRate(tool.fd, 57600));
    ::tcflush(tool.fd, TCIFLUSH);
    EXPECT_EQ(tool.listen(1s), Codes{});
    EXPECT_FALSE(tool.heard.empty()) << "the rest comes as garbage";
    const auto header = [](auto a, auto b) {
        return a.first == frame::kHeader1 && b.first == frame::kHeader2;
    };
    EXPECT_TRUE(std::ranges::adjacent_find(tool.heard, header) == tool.heard.end())
        << "a header among " << tool.heard.size() << " bytes";
}

} // namespace
} // namespace tq37r::sim
