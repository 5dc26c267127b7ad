#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <termios.h>
#include <unistd.h>

#include "CliRun.h"
#include "core/GainFile.h"
#include "device/Codes.h"
#include "protocol/FrameReceiver.h"
#include "sim/ControllerSettings.h"
#include "tests/sim/SimProcess.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// "name value" lines in grid order, with `changes` applied to the controller's defaults.
std::string gainLines(std::initializer_list<std::pair<std::int32_t ParamFields::*, int>> changes = {}) {
    ParamFields fields;
    fields.restoreDefaultGains();
    for (const auto& [field, value] : changes) {
        fields.*field = value;
    }
    std::string lines;
    for (const GainName& gain : kGainNames) {
        lines += std::string(gain.name) + " " + std::to_string(fields.*gain.field) + "\n";
    }
    return lines;
}

std::string fileText(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// What an exited simulator started with --stats printed.
std::string simStats(SimProcess& sim) {
    std::string stats;
    for (std::string line = sim.readLine(1s); !line.empty(); line = sim.readLine(1s)) {
        stats += line + "\n";
    }
    return stats;
}

// Each test gets its own port folder, so COM1 is its simulator or nothing.
class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tq37r-cli-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        ::setenv("TQ37R_PORT_DIR", dir.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("TQ37R_PORT_DIR");
        fs::remove_all(dir);
    }

    // A simulator on COM1 at the tool's default rate, ready once it has told its pty.
    static std::unique_ptr<SimProcess> startSim(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{TQ37R_SIM_PATH, "--port", "COM1", "--baud", "19200", "--device-path"};
        args.insert(args.end(), extra.begin(), extra.end());
        auto sim = std::make_unique<SimProcess>(args);
        EXPECT_FALSE(sim->readLine(5s).empty());
        return sim;
    }

    fs::path dir;
};

TEST_F(Cli, ReadsGainsVersionAndPorts) {
    auto sim = startSim({"--firmware-model", "36", "--firmware-version", "2.05"});
    const CliResult read = runCli({"read"});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, gainLines());

    const CliResult get = runCli({"--json", "get", "x.d", "pitch.level"});
    EXPECT_EQ(get.out, "{\"gains\":{\"x.d\":8,\"pitch.level\":35}}\n");

    EXPECT_EQ(runCli({"version"}).out, "model 36\nversion 2.05\n");

    const CliResult ports = runCli({"ports"});
    EXPECT_EQ(ports.out.substr(0, ports.out.find('\n')), "COM1 " + (dir / "COM1").string());
    EXPECT_NE(ports.out.find("COM2 not-present\n"), std::string::npos);
}

TEST_F(Cli, SetSendsOnlyChangedRowsAndSaveSurvivesARestart) {
    const std::string flash = (dir / "flash").string();
    auto sim = startSim({"--flash", flash, "--stats", "--report-ms", "0"});
    const CliResult set = runCli({"set", "pitch.level=40", "x.d=9", "roll.level=35"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(set.out, "pitch.level 35 40\nx.d 8 9\n");
    const CliResult save = runCli({"save"});
    EXPECT_EQ(save.status, 0) << save.err;
    EXPECT_EQ(save.out, "saved\n");

    sim->signal(SIGTERM);
    ASSERT_EQ(sim->waitExit(5s), 0);
    const std::string stats = simStats(*sim);
    // Pitch and X changed; Roll was named but kept its value, so it is not sent.
    EXPECT_NE(stats.find("requests-received E4 1\n"), std::string::npos) << stats;
    EXPECT_NE(stats.find("requests-received E7 1\n"), std::string::npos) << stats;
    EXPECT_EQ(stats.find("requests-received E5"), std::string::npos) << stats;

    sim = startSim({"--flash", flash});
    EXPECT_EQ(runCli({"read"}).out, gainLines({{&ParamFields::pitchLevelCoef, 40}, {&ParamFields::xD, 9}}));
}

TEST_F(Cli, BackupDiffRestoreRoundTrip) {
    auto sim = startSim();
    const std::string file = (dir / "plane.gains").string();
    ASSERT_EQ(runCli({"backup", file}).status, 0);
    EXPECT_NE(fileText(file).find("# Firmware: TQ-37 firmware 1.20\n"), std::string::npos);

    ASSERT_EQ(runCli({"set", "pitch.level=50"}).status, 0);
    const CliResult changed = runCli({"diff", file});
    EXPECT_EQ(changed.status, 4);
    EXPECT_EQ(changed.out, "pitch.level 50 35\n");
    EXPECT_EQ(runCli({"--json", "diff", file}).out,
              "{\"differences\":[{\"name\":\"pitch.level\",\"controller\":50,\"file\":35}]}\n");

    const CliResult restore = runCli({"restore", file, "--save"});
    EXPECT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(restore.out, "pitch.level 50 35\nsaved\n");
    const CliResult same = runCli({"diff", file});
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.out, "");
}

TEST_F(Cli, ExitStatusTellsWhatWentWrong) {
    // Nothing on COM1: arguments are refused before the port is tried.
    const CliResult noPort = runCli({"read"});
    EXPECT_EQ(noPort.status, 2);
    EXPECT_NE(noPort.err.find("COM1 is not present"), std::string::npos) << noPort.err;
    EXPECT_EQ(runCli({"set", "pitch.level=256"}).status, 1);
    EXPECT_EQ(runCli({"get", "pitch.levels"}).status, 1);
    EXPECT_EQ(runCli({"--retries", "-1", "read"}).status, 1);
    const fs::path bad = dir / "bad.gains";
    std::ofstream(bad) << "pitch.level = 35\npitch.stability = 300\n";
    const CliResult badFile = runCli({"diff", bad.string()});
    EXPECT_EQ(badFile.status, 5);
    EXPECT_NE(badFile.err.find("line 2"), std::string::npos) << badFile.err;

    auto sim = startSim({"--drop", "1", "--stats"});
    const CliResult silent = runCli({"--json", "--timeout", "100", "--retries", "1", "read"});
    EXPECT_EQ(silent.status, 3);
    EXPECT_NE(silent.err.find("no answer to the first gain read (0xEA) after 2 tries"), std::string::npos)
        << silent.err;
    EXPECT_EQ(silent.out,
              "{\"error\":\"no answer to the first gain read (0xEA) after 2 tries\",\"exit\":3}\n");
    sim->signal(SIGTERM);
    ASSERT_EQ(sim->waitExit(5s), 0);
    EXPECT_NE(simStats(*sim).find("requests-received EA 2\n"), std::string::npos);
}

TEST_F(Cli, NoisyLineBreaksNoCommand) {
    auto sim = startSim(
        {"--noise", "0.3", "--corrupt", "0.15", "--drop", "0.15", "--seed", "5", "--report-ms", "50"});
    const auto run = [](std::vector<std::string> args) {
        args.insert(args.begin(), {"--timeout", "250", "--retries", "10"});
        const CliResult result = runCli(args);
        EXPECT_EQ(result.status, 0) << args.back() << ": " << result.err;
        return result;
    };
    EXPECT_EQ(run({"read"}).out, gainLines());
    run({"set", "heading.stability=61"});
    run({"save"});
    run({"version"});
    const std::string file = (dir / "noisy.gains").string();
    run({"backup", file});
    run({"restore", file, "--save"});
    run({"diff", file});
    EXPECT_EQ(run({"get", "heading.stability"}).out, "heading.stability 61\n");
}

TEST_F(Cli, MonitorPrintsReportsUntilItsTimeOrCtrlC) {
    auto sim = startSim({"--report-ms", "100"});
    const CliResult timed = runCli({"monitor", "--seconds", "1"});
    EXPECT_EQ(timed.status, 0) << timed.err;
    ASSERT_FALSE(timed.out.empty());
    std::istringstream lines(timed.out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line, "flight-mode 0 task 255");
    }

    const CliResult stopped = runCli({"--json", "monitor"}, "{\"flight_mode\":0,\"task\":255}");
    EXPECT_EQ(stopped.status, 0) << stopped.err;
    EXPECT_EQ(stopped.out.rfind("{\"reports\":[{\"flight_mode\":0,\"task\":255}", 0), 0u) << stopped.out;
    EXPECT_TRUE(stopped.out.ends_with("}]}\n")) << stopped.out;
}

// The test plays the controller itself, to see when requests come and to spoil the line on purpose.
TEST(CliLine, ReadKeepsTheControllersGapAndGivesUpAStrayHeader) {
    int master = -1;
    int slave = -1;
    char slavePath[128] = {};
    ASSERT_EQ(::openpty(&master, &slave, slavePath, nullptr, nullptr), 0);
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);

    auto cli = std::async(std::launch::async, [&slavePath] {
        return runCli({"--port", slavePath, "--retries", "0", "read"});
    });
    const sim::ControllerSettings defaults;
    FrameReceiver receiver;
    std::optional<std::chrono::steady_clock::time_point> firstAsked;
    std::optional<std::chrono::steady_clock::time_point> secondAsked;
    auto answer = [&](std::span<const std::uint8_t> request) {
        test::Bytes reply;
        if (request[frame::kCodeOffset] == code::kReadGainBlock1) {
            firstAsked = std::chrono::steady_clock::now();
            // A header claiming 255 bytes would swallow the answer behind it for good.
            reply = {frame::kHeader1, frame::kHeader2, 0xFF};
            const test::Bytes block =
                test::makeFrame(code::kGainBlock1, {defaults.gainBlock1.begin(), defaults.gainBlock1.end()});
            reply.insert(reply.end(), block.begin(), block.end());
        } else if (request[frame::kCodeOffset] == code::kReadGainBlock2) {
            secondAsked = std::chrono::steady_clock::now();
            reply =
                test::makeFrame(code::kGainBlock2, {defaults.gainBlock2.begin(), defaults.gainBlock2.end()});
        }
        ASSERT_EQ(::write(master, reply.data(), reply.size()), static_cast<ssize_t>(reply.size()));
    };
    for (int polls = 0; !secondAsked && polls < 100; ++polls) {
        pollfd p{master, POLLIN, 0};
        std::uint8_t bytes[256];
        if (::poll(&p, 1, 50) > 0) {
            const ssize_t n = ::read(master, bytes, sizeof bytes);
            receiver.feed({bytes, static_cast<std::size_t>(std::max<ssize_t>(n, 0))}, answer);
        }
    }
    const CliResult read = cli.get();
    ::close(master);
    ::close(slave);
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, gainLines());
    ASSERT_TRUE(firstAsked && secondAsked);
    // Both are stamped when this side reads them, and the first may be read late on a busy
    // machine; a missing gap shows as a few milliseconds.
    EXPECT_GE(*secondAsked - *firstAsked, 60ms);
}

} // namespace
} // namespace tq37r::testing
