// The line log on the controller link, on a fake port and clock: what each event on the line
// leaves in the log, the counts, and the bound on what it keeps.
#include <gtest/gtest.h>

#include "core/LineLog.h"
#include "device/ControllerLink.h"
#include "tests/support/Fakes.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::test {
namespace {

using namespace std::chrono_literals;

struct Unheard final : LinkListener {
    void onFrame(const Reply&, std::optional<Answer>) override {}
    void onUnanswered(const Answer&) override {}
};

struct LoggedLink : ::testing::Test {
    LoggedLink() {
        link.setObserver(&log);
        EXPECT_TRUE(link.open("COM1", PortSettings{19200}, sink));
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> text;
        for (std::size_t i = 0; i < log.size(); ++i) {
            text.push_back(LineLog::format(log.at(i)));
        }
        return text;
    }

    FakePort port;
    FakeClock clock;
    FakeSink sink;
    Unheard listener;
    LineLog log;
    ControllerLink link{port, clock, listener};
};

TEST_F(LoggedLink, AReadWithANoisyByteAndABadFrameIsLoggedEventByEvent) {
    clock.advance(5ms, [](int) {});
    link.send(request::readGainBlock(GainBlock::First));
    clock.advance(2ms, [](int) {});
    Bytes spoilt = makeFrame(0xED, {15, 1, 8, 15, 1, 8});
    spoilt[spoilt.size() - 2] ^= 0xFF;
    Bytes line{0x3F};
    line.insert(line.end(), spoilt.begin(), spoilt.end());
    const Bytes good = makeFrame(0xFA, {0xE4});
    line.insert(line.end(), good.begin(), good.end());
    port.input.assign(line.begin(), line.end());
    link.onRxReady();
    clock.advance(98ms, [](int) {});
    link.send(request::readGainBlock(GainBlock::Second));
    clock.advance(1000ms, [](int) {});
    link.poll();
    link.hungUp();
    EXPECT_EQ(lines(), (std::vector<std::string>{
                           "0.000 -- opened COM1 at 19200",
                           "5.000 -> A5 5A 04 EA EE AA  read gains, first block",
                           "7.000 !! 3F  1 byte skipped",
                           "7.000 !! A5 5A 0A ED 0F 01 08 0F 01 08 D8 AA  bad checksum",
                           "7.000 <- A5 5A 05 FA E4 E3 AA  ack Pitch control",
                           "105.000 -> A5 5A 04 EC F0 AA  read gains, second block",
                           "1105.000 !! A5 5A 04 EA EE AA  no answer to read gains, first block",
                           "1105.000 !! A5 5A 04 EC F0 AA  no answer to read gains, second block",
                           "1105.000 !! the device went away",
                           "1105.000 -- closed",
                       }));
    EXPECT_EQ(log.counts(),
              (LineCounts{.sent = 2, .received = 1, .bad = 1, .skippedBytes = 1, .unanswered = 2}));
    EXPECT_EQ(LineLog::formatJson(log.at(2)),
              R"({"ms":7.000,"mark":"!!","bytes":"3F","what":"1 byte skipped"})");
}

TEST_F(LoggedLink, KeepsOnlyTheLatestEntries) {
    const Bytes report = makeFrame(0xF1, {0, 1, 8});
    for (std::size_t i = 0; i < LineLog::kCapacity + 50; ++i) {
        port.input.assign(report.begin(), report.end());
        link.onRxReady();
    }
    EXPECT_EQ(log.size(), LineLog::kCapacity);
    EXPECT_EQ(log.total(), LineLog::kCapacity + 51) << "the open and the oldest 50 reports went";
    EXPECT_EQ(log.since(log.total() - 1).size(), 1u);
    EXPECT_EQ(log.since(0).size(), LineLog::kCapacity);
    EXPECT_EQ(log.counts().received, LineLog::kCapacity + 50) << "counts are of the whole line";
    port.input.assign(LineLog::kBytesKept + 1, 0x00);
    link.onRxReady(); // skipped, more than an entry keeps: cut, and saying so
    EXPECT_NE(LineLog::format(log.at(log.size() - 1)).find(" …  "), std::string::npos);
    log.clear();
    EXPECT_EQ(log.size(), 0u);
    link.close();
    ASSERT_TRUE(link.open("COM1", PortSettings{19200}, sink));
    EXPECT_EQ(log.counts(), LineCounts{}) << "counts are of this line";
}

} // namespace
} // namespace tq37r::test
