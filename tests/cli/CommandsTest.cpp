// The command-line tool's commands on the controller link, against a fake port whose peer is
// the simulated controller, on a fake clock: no process, no pty, no waiting.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <utility>

#include "cli/CommandError.h"
#include "cli/Commands.h"
#include "device/Codes.h"
#include "protocol/FrameReceiver.h"
#include "sim/SimController.h"
#include "tests/support/Fakes.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::test {
namespace {

using namespace std::chrono_literals;

// Time moves only when nothing is left to read; a wait with no end and nothing to read would
// last for ever, so it ends as if interrupted.
class FakeLine final : public cli::LineWait {
public:
    FakeLine(FakePort& port, FakeClock& clock) : port_(port), clock_(clock) {}
    void postSerialEvent(SerialEvent, std::uint32_t) override {}
    TimePoint now() const override { return clock_.now(); }
    Seen wait(std::optional<TimePoint> until) override {
        Seen seen;
        if (!port_.input.empty()) {
            seen.rxReady.push_back(port_.sinkTag);
        } else if (!until) {
            seen.interrupted = true;
        } else {
            clock_.advance(std::chrono::ceil<std::chrono::milliseconds>(*until - clock_.now()), [](int) {});
        }
        return seen;
    }

private:
    FakePort& port_;
    FakeClock& clock_;
};

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        port.peer = [this](const Bytes& request) {
            FrameReceiver receiver;
            auto handle = [this](std::span<const std::uint8_t> frameBytes) { answer(frameBytes); };
            receiver.feed(request, handle);
        };
        ASSERT_TRUE(controller.open("COM1", 19200));
    }
    void answer(std::span<const std::uint8_t> request) {
        const std::uint8_t code = request[frame::kCodeOffset];
        asked.push_back({code, clock.now()});
        if (silentTo.count(code) != 0) {
            return;
        }
        std::vector<sim::WireFrame> replies;
        controllerSide.handleRequest(request, replies);
        for (sim::WireFrame& reply : replies) {
            if (spoilReadBack && reply[frame::kCodeOffset] == code::kGainBlock1) {
                spoilReadBack(reply);
            }
            port.input.insert(port.input.end(), reply.begin(), reply.end());
        }
    }
    std::vector<std::uint8_t> codesAsked() const {
        std::vector<std::uint8_t> codes;
        for (const auto& [code, when] : asked) {
            codes.push_back(code);
        }
        return codes;
    }
    // Runs a command as main does: its exit status, with a CommandError's printed.
    int run(const std::function<int()>& command) {
        try {
            return command();
        } catch (const cli::CommandError& e) {
            out.error(e.what(), e.status());
            return e.status();
        }
    }

    FakePort port;
    FakeClock clock;
    FakeLine line{port, clock};
    cli::Controller controller{port, line, {1000ms, 2}};
    sim::SimController controllerSide{std::nullopt, sim::FirmwareInfo{}, 1};
    std::set<std::uint8_t> silentTo;
    std::function<void(sim::WireFrame&)> spoilReadBack;
    std::vector<std::pair<std::uint8_t, FakeClock::TimePoint>> asked;
    std::ostringstream results, messages;
    cli::Output out{false, results, messages};
};

// The pause between the two reads keeps reading the line: the first answer is taken meanwhile.
TEST_F(Commands, ReadKeepsTheControllersGap) {
    EXPECT_EQ(controller.readGains(), defaultGains());
    ASSERT_EQ(codesAsked(), (std::vector<std::uint8_t>{0xEA, 0xEC}));
    EXPECT_GE(asked[1].second - asked[0].second, 100ms);
}

TEST_F(Commands, ASaveWhoseReadBackDiffersExitsFour) {
    spoilReadBack = [this](sim::WireFrame& reply) {
        const std::vector<std::uint8_t> codes = codesAsked();
        if (std::find(codes.begin(), codes.end(), code::kSaveConfiguration) != codes.end()) {
            reply[frame::kPayloadOffset + 12] = 36; // pitch.level does not keep what was saved
            reply[reply.size() - 2] = frame::checksum(reply);
        }
    };
    EXPECT_EQ(run([this] { return cli::command::save(controller, out); }), cli::kExitDifferent);
    EXPECT_EQ(results.str(), "pitch.level 36 35\n");
    EXPECT_NE(messages.str().find("1 gain read back differs"), std::string::npos) << messages.str();
}

TEST_F(Commands, RestoreSendsOnlyTheRowsThatDiffer) {
    GainFileRead file;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        file.values[i] = kGains[i].defaultValue;
    }
    file.values[*findGain("pitch.stability")] = 31;
    file.values[*findGain("x.d")] = 9;
    file.values[*findGain("y.p")].reset(); // left out: keeps the controller's
    EXPECT_EQ(run([&] { return cli::command::restore(controller, file, false, out); }), cli::kExitDone);
    EXPECT_EQ(codesAsked(), (std::vector<std::uint8_t>{0xEA, 0xEC, 0xE4, 0xE7}));
    EXPECT_EQ(results.str(), "pitch.stability 30 31\nx.d 8 9\n");
}

// The rows acknowledged before a failure are changed on the controller: they are told.
TEST_F(Commands, ASetPartlyAcknowledgedExitsThreeAndTellsWhatChanged) {
    silentTo = {0xE5};
    const std::vector<cli::GainAssignment> change{{*findGain("pitch.level"), 40},
                                                  {*findGain("roll.level"), 41}};
    EXPECT_EQ(run([&] { return cli::command::set(controller, change, out); }), cli::kExitNoAnswer);
    EXPECT_EQ(results.str(), "pitch.level 35 40\n");
    EXPECT_NE(messages.str().find("no answer to set Roll 41 0 30 (0xE5) after 3 tries"), std::string::npos)
        << messages.str();
    EXPECT_EQ(codesAsked(), (std::vector<std::uint8_t>{0xEA, 0xE4, 0xE5, 0xE5, 0xE5}))
        << "only the block that holds the rows is read";
}

TEST(CommandOutput, JsonEscapesWhatAPathMayHold) {
    std::ostringstream results, messages;
    cli::Output json(true, results, messages);
    json.note("file", "C:\\gains\\\"new\".gains");
    json.beginReports();
    json.report(0, 255);
    json.finish();
    EXPECT_EQ(
        results.str(),
        "{\"file\":\"C:\\\\gains\\\\\\\"new\\\".gains\",\"reports\":[{\"flight_mode\":0,\"task\":255}]}\n");
}

} // namespace
} // namespace tq37r::test
