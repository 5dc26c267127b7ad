// The controller link on a fake port and a fake clock: which frame answers which request, when
// an answer counts as missing, the pause between the two gain reads, and a frame that stops
// arriving.
#include <gtest/gtest.h>

#include "device/Codes.h"
#include "device/ControllerLink.h"
#include "tests/support/Fakes.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::test {
namespace {

using namespace std::chrono_literals;

class Link : public ::testing::Test, protected LinkListener {
protected:
    void SetUp() override { open(19200); }
    void open(std::uint32_t baud) { ASSERT_TRUE(link.open("COM1", PortSettings{baud}, sink)); }

    void onFrame(const Reply& reply, std::optional<Answer> answered) override {
        frames.push_back(describe(reply));
        answers.push_back(answered);
    }
    void onUnanswered(const Answer& answer) override { unanswered.push_back(answer); }

    void arrive(const Bytes& bytes) {
        port.input.insert(port.input.end(), bytes.begin(), bytes.end());
        link.onRxReady();
    }
    // Moves time on to `later`, polling the link at each deadline it names on the way.
    void runFor(std::chrono::milliseconds later) {
        const auto end = clock.now() + later;
        for (auto next = link.nextDeadline(); next && *next <= end; next = link.nextDeadline()) {
            clock.advance(std::chrono::ceil<std::chrono::milliseconds>(*next - clock.now()), [](int) {});
            link.poll();
        }
        clock.advance(std::chrono::ceil<std::chrono::milliseconds>(end - clock.now()), [](int) {});
    }

    FakePort port;
    FakeClock clock;
    FakeSink sink;
    ControllerLink link{port, clock, *this};
    std::vector<std::string> frames;
    std::vector<std::optional<Answer>> answers;
    std::vector<Answer> unanswered;
};

TEST_F(Link, OnlyTheNamedAcknowledgementAnswersAndAMissingOneIsToldOnce) {
    const Answer pitch = Answer::acknowledgement(0xE4);
    ASSERT_TRUE(link.send(request::setGainRow(GainGroup::Pitch, 35, 0, 30)));
    EXPECT_EQ(port.written.back(), makeFrame(0xE4, {35, 0, 30}));
    EXPECT_TRUE(link.isCurrent(port.sinkTag));
    arrive(makeFrame(0xFA, {0xE5})); // another row's
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_FALSE(answers[0]);
    runFor(999ms);
    EXPECT_TRUE(unanswered.empty());
    runFor(1ms);
    EXPECT_EQ(unanswered, std::vector<Answer>{pitch});
    arrive(makeFrame(0xFA, {0xE4})); // late: still decoded, no longer awaited
    EXPECT_EQ(frames.back(), "ack E4 Pitch control set OK！ /20");
    EXPECT_FALSE(answers.back());
    runFor(5s);
    EXPECT_EQ(unanswered.size(), 1u);

    ASSERT_TRUE(link.send(request::setGainRow(GainGroup::Pitch, 35, 0, 30)));
    arrive(makeFrame(0xFA, {0xE4}));
    EXPECT_EQ(answers.back(), pitch);
    EXPECT_FALSE(link.nextDeadline()) << "answered: nothing left to wait for";
}

TEST_F(Link, TheEarliestDeadlineIsTheNextAndNothingGoesOnAClosedPort) {
    ASSERT_TRUE(link.send(request::readGainBlock(GainBlock::First), 500ms));
    ASSERT_TRUE(link.send(request::readGainBlock(GainBlock::Second), 200ms));
    EXPECT_EQ(link.nextDeadline(), clock.now() + 200ms);
    runFor(200ms);
    EXPECT_EQ(unanswered, std::vector<Answer>{request::readGainBlock(GainBlock::Second).answer})
        << "the later request's shorter patience ran out first";

    link.close();
    EXPECT_FALSE(link.send(request::saveConfiguration()));
    EXPECT_EQ(port.written.size(), 2u);
    EXPECT_FALSE(link.nextDeadline()) << "a closed line awaits nothing";
}

TEST_F(Link, AFrameThatStopsArrivingIsGivenUpAfterTwentyByteTimes) {
    const Bytes strayHeader{0xA5, 0x5A, 0xFF}; // claims a 255-byte frame
    Bytes line = strayHeader;
    const Bytes ack = makeFrame(0xFA, {0xE4});
    line.insert(line.end(), ack.begin(), ack.end());
    for (const auto& [baud, gap] : {std::pair{19200u, 50ms}, std::pair{2400u, 84ms}}) {
        open(baud);
        frames.clear();
        arrive(line);
        runFor(gap - 1ms);
        EXPECT_TRUE(frames.empty()) << baud;
        runFor(1ms);
        EXPECT_EQ(frames, std::vector<std::string>{"ack E4 Pitch control set OK！ /20"})
            << "the ack inside the given-up frame, at " << baud;
    }
    // Bytes that came in time but were not read yet are read, not given up.
    arrive(strayHeader);
    port.input.assign(ack.begin(), ack.end());
    runFor(84ms);
    EXPECT_TRUE(port.input.empty());
    // A stray header from before a close is forgotten by the next open.
    open(2400);
    EXPECT_FALSE(link.nextDeadline());
}

} // namespace
} // namespace tq37r::test
