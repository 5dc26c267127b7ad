#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <unistd.h>
#include <vector>

#include "SimProcess.h"
#include "device/Codes.h"
#include "device/Reply.h"
#include "device/Requests.h"
#include "protocol/FrameReceiver.h"
#include "protocol/TxFrame.h"

namespace tq37r::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

std::vector<std::string> simArgs(std::initializer_list<std::string> extra) {
    std::vector<std::string> args{TQ37R_SIM_PATH, "--device-path"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

// The tool's side of the line: a raw pty slave read through the frame receiver.
class Line {
public:
    explicit Line(const std::string& path) : fd_(openRawLine(path)) {}
    ~Line() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool isOpen() const { return fd_ >= 0; }

    void send(const TxFrame& tx, std::size_t byteCount) {
        ASSERT_EQ(::write(fd_, tx.bytes(byteCount).data(), byteCount), static_cast<ssize_t>(byteCount));
    }

    // Reads for the given time, or until the line has been quiet for quietAfter.
    std::size_t pump(std::chrono::milliseconds duration, std::chrono::milliseconds quietAfter = 0ms) {
        const auto end = Clock::now() + duration;
        auto lastData = Clock::now();
        std::size_t total = 0;
        while (Clock::now() < end && !hungUp_) {
            if (quietAfter.count() > 0 && Clock::now() - lastData >= quietAfter) {
                break;
            }
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) {
                continue;
            }
            std::uint8_t buffer[1024];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                hungUp_ = n == 0 || errno == EIO;
                continue;
            }
            lastData = Clock::now();
            total += static_cast<std::size_t>(n);
            auto handler = [this](std::span<const std::uint8_t> f) {
                frames.emplace_back(f.begin(), f.end());
            };
            receiver_.feed({buffer, static_cast<std::size_t>(n)}, handler);
        }
        return total;
    }

    std::size_t count(std::uint8_t code) const {
        return static_cast<std::size_t>(
            std::count_if(frames.begin(), frames.end(), [code](const Bytes& f) { return f[3] == code; }));
    }
    bool hungUp() const { return hungUp_; }

    std::vector<Bytes> frames;

private:
    int fd_;
    FrameReceiver receiver_;
    bool hungUp_ = false;
};

TEST(SimProcess, AnswersOverARealPtyAndCountsBothSides) {
    SimProcess sim(simArgs({"--baud", "0", "--report-ms", "0", "--stats", "--seed", "3"}));
    const std::string path = sim.readLine(5s);
    ASSERT_FALSE(path.empty());
    Line line(path);
    ASSERT_TRUE(line.isOpen());
    TxFrame tx;
    line.send(tx, request::readGainBlock1(tx));
    line.send(tx, request::readGainBlock2(tx));
    line.send(tx, request::firmwareVersion(tx));
    line.send(tx, request::setGainGroup(tx, GainGroup::Height, 20, 2, 12));
    line.send(tx, request::readGainBlock1(tx));
    line.pump(5s, 1500ms);
    ASSERT_EQ(line.frames.size(), 6u);
    EXPECT_EQ(std::get<reply::GainBlock1>(decodeReply(line.frames[0])).pitchLevelCoef, 35);
    EXPECT_EQ(std::get<reply::GainBlock2>(decodeReply(line.frames[1])).xD, 8);
    EXPECT_EQ(std::get<reply::Acknowledgement>(decodeReply(line.frames[2])).acknowledgedCode,
              code::kAutoReturn);
    EXPECT_EQ(std::get<reply::FirmwareVersion>(decodeReply(line.frames[3])).status.text(),
              "TQ-37 Firmware version: 1.20");
    EXPECT_EQ(std::get<reply::Acknowledgement>(decodeReply(line.frames[4])).acknowledgedCode,
              code::kSetHeightGains);
    EXPECT_EQ(std::get<reply::GainBlock1>(decodeReply(line.frames[5])).heightD, 12);

    sim.signal(SIGTERM);
    ASSERT_EQ(sim.waitExit(5s), 0);
    const auto stats = sim.stats();
    EXPECT_EQ(stats.at("requests-received EA"), 2u);
    EXPECT_EQ(stats.at("requests-received 92"), 1u);
    EXPECT_EQ(stats.at("frames-sent EB"), 2u);
    EXPECT_EQ(stats.at("frames-sent FA"), 2u);
    EXPECT_EQ(stats.at("seed"), 3u);
}

TEST(SimProcess, SpoiledLineStillDeliversExactlyTheIntactFrames) {
    SimProcess sim(simArgs({"--baud", "115200", "--report-ms", "20", "--noise", "0.5", "--corrupt", "0.3",
                            "--drop", "0.2", "--stats", "--seed", "17"}));
    Line line(sim.readLine(5s));
    ASSERT_TRUE(line.isOpen());
    TxFrame tx;
    for (int i = 0; i < 60; ++i) {
        line.send(tx, request::readGainBlock1(tx));
        line.pump(15ms);
    }
    line.pump(300ms);
    sim.signal(SIGSTOP); // no more reports: what is on the line now is all there is
    line.pump(5s, 300ms);
    sim.signal(SIGCONT);
    sim.signal(SIGTERM);
    ASSERT_EQ(sim.waitExit(5s), 0);
    auto stats = sim.stats();
    EXPECT_EQ(stats["requests-received EA"], 60u);
    EXPECT_GT(stats["requests-dropped"], 0u);
    EXPECT_GT(stats["frames-corrupted EB"], 0u);
    EXPECT_GT(stats["noise-bytes"], 0u);
    EXPECT_EQ(stats["frames-sent EB"] + stats["frames-corrupted EB"], 60u - stats["requests-dropped"]);
    EXPECT_EQ(line.count(code::kGainBlock1), stats["frames-sent EB"]);
    // Reports still arriving when the process stopped may be counted but not yet read.
    EXPECT_LE(line.count(code::kStateReport), stats["frames-sent F1"]);
    EXPECT_GE(line.count(code::kStateReport) + 2, stats["frames-sent F1"]);
    EXPECT_GT(line.count(code::kUnsolicitedF2), 0u);
}

TEST(SimProcess, FloodIsPacedAtTheLineRate) {
    for (const int baud : {9600, 115200}) {
        SimProcess sim(simArgs({"--baud", std::to_string(baud), "--flood"}));
        Line line(sim.readLine(5s));
        ASSERT_TRUE(line.isOpen());
        line.pump(100ms); // settle after the flush
        const auto start = Clock::now();
        const std::size_t bytes = line.pump(1000ms);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double lineRate = baud / 10.0;
        std::printf("baud %d: %.0f bytes/s, line carries %.0f\n", baud, bytes / seconds, lineRate);
        // Not faster than the line: an unpaced simulator would write many times this. The
        // slack is for bytes a busy machine delivers late into the window.
        EXPECT_LE(bytes, lineRate * seconds * 1.5 + 64);
        EXPECT_GE(bytes, lineRate * seconds * 0.3);
        EXPECT_GT(line.count(code::kStateReport), 10u);
    }
}

TEST(SimProcess, DelayedAnswersComeNoSooner) {
    SimProcess sim(simArgs({"--report-ms", "0", "--delay-ms", "400"}));
    Line line(sim.readLine(5s));
    TxFrame tx;
    const auto sent = Clock::now();
    line.send(tx, request::readMixingMode(tx));
    while (line.frames.empty() && Clock::now() - sent < 5s) {
        line.pump(5ms);
    }
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent);
    std::printf("answer after %lld ms\n", static_cast<long long>(waited.count()));
    ASSERT_EQ(line.frames.size(), 1u);
    EXPECT_GE(waited, 400ms);
}

TEST(SimProcess, HangUpSignalLooksLikeAnUnpluggedCable) {
    SimProcess sim(simArgs({"--report-ms", "50"}));
    Line line(sim.readLine(5s));
    line.pump(200ms);
    EXPECT_GT(line.count(code::kStateReport), 0u);
    sim.signal(SIGUSR1);
    line.pump(5s);
    EXPECT_TRUE(line.hungUp());
    EXPECT_EQ(sim.waitExit(5s), 0);
}

class PortFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tq37r-ports-" + std::to_string(::getpid())) / "nested";
        fs::remove_all(dir.parent_path());
        ::setenv("TQ37R_PORT_DIR", dir.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("TQ37R_PORT_DIR");
        fs::remove_all(dir.parent_path());
    }
    fs::path dir;
};

TEST_F(PortFolder, PortLinkLivesAsLongAsTheSimulator) {
    for (const int signo : {SIGINT, SIGTERM, SIGUSR1}) {
        SimProcess sim(simArgs({"--port", "COM3"}));
        const std::string path = sim.readLine(5s);
        ASSERT_FALSE(path.empty());
        ASSERT_TRUE(fs::is_symlink(dir / "COM3"));
        EXPECT_EQ(fs::read_symlink(dir / "COM3"), path);
        Line line((dir / "COM3").string());
        EXPECT_TRUE(line.isOpen());
        sim.signal(signo);
        EXPECT_EQ(sim.waitExit(5s), 0) << "signal " << signo;
        EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "COM3"))) << "signal " << signo;
    }
    SimProcess timed(simArgs({"--port", "COM3", "--exit-after-ms", "200"}));
    EXPECT_EQ(timed.waitExit(5s), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "COM3")));
}

TEST_F(PortFolder, LinkOfAKilledSimulatorIsReplacedButALiveOneIsNot) {
    {
        SimProcess crashed(simArgs({"--port", "COM1"}));
        ASSERT_FALSE(crashed.readLine(5s).empty());
    } // killed with SIGKILL: its link stays, and the next pty made is likely to reuse its number
    ASSERT_TRUE(fs::is_symlink(fs::symlink_status(dir / "COM1")));
    SimProcess sim(simArgs({"--port", "COM1"}));
    const std::string path = sim.readLine(5s);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(fs::read_symlink(dir / "COM1"), path);

    // A second live simulator on the name refuses and leaves the link as it is.
    SimProcess second(simArgs({"--port", "COM1"}));
    EXPECT_EQ(second.waitExit(5s), 2);
    EXPECT_EQ(fs::read_symlink(dir / "COM1"), path);
    // So does one whose name a file that is not a link holds.
    std::ofstream(dir / "COM2") << "device";
    SimProcess blocked(simArgs({"--port", "COM2"}));
    EXPECT_EQ(blocked.waitExit(5s), 2);
}

TEST(SimProcess, HelpOnStdoutAndRefusalsWithStatusTwo) {
    SimProcess help({TQ37R_SIM_PATH, "--help"});
    EXPECT_TRUE(help.readLine(5s).starts_with("Usage: tq37r-sim"));
    EXPECT_EQ(help.waitExit(5s), 0);
    SimProcess repeated({TQ37R_SIM_PATH, "--seed", "1", "--seed", "2"});
    EXPECT_EQ(repeated.waitExit(5s), 2);
    const fs::path flash = fs::temp_directory_path() / ("tq37r-badflash-" + std::to_string(::getpid()));
    std::FILE* f = std::fopen(flash.c_str(), "w");
    std::fputs("garbage", f);
    std::fclose(f);
    SimProcess sim({TQ37R_SIM_PATH, "--flash", flash.string()});
    EXPECT_EQ(sim.waitExit(5s), 2);
    fs::remove(flash);
}

} // namespace
} // namespace tq37r::testing
