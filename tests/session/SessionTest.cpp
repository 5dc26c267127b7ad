// The controller session on a fake port and a fake clock: when each request goes, what an answer
// or its absence tells, what is known of the gains and for how long, and a save's check.
#include <gtest/gtest.h>

#include "session/ControllerSession.h"
#include "tests/support/Fakes.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::test {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kPitchLevel = 0;
// The first block with Pitch Level Coefficient at `pitchLevel`, the rest zero.
Bytes gainBlock1(std::uint8_t pitchLevel) {
    Bytes payload(18);
    payload[12] = pitchLevel;
    return makeFrame(0xEB, payload);
}
const Bytes kGainBlock2 = makeFrame(0xED, Bytes(6));

class Session : public ::testing::Test, protected SessionListener, protected JournalSink {
protected:
    explicit Session(SessionOptions options = {}) : session(port, clock, sink, *this, options) {
        port.clock = &clock;
        session.setJournal(this);
        EXPECT_TRUE(session.open("COM1", 19200));
    }
    void record(const JournalEntry& entry) override { journal.push_back(entry); }
    void onUnanswered(const Request& request) override { unanswered.push_back(request.code); }
    void onSaveChecked(const SaveVerdict& verdict) override { verdicts.push_back(verdict.kind); }

    void reply(const Bytes& bytes) {
        port.input.insert(port.input.end(), bytes.begin(), bytes.end());
        session.onRxReady(port.sinkTag);
    }
    // Moves time on, polling the session at each deadline it names on the way.
    void runFor(std::chrono::milliseconds later) {
        const auto end = clock.now() + later;
        for (auto next = session.nextDeadline(); next && *next <= end; next = session.nextDeadline()) {
            clock.advance(std::chrono::ceil<std::chrono::milliseconds>(*next - clock.now()), [](int) {});
            session.poll();
        }
        clock.advance(std::chrono::ceil<std::chrono::milliseconds>(end - clock.now()), [](int) {});
    }
    std::vector<std::uint8_t> sentCodes() const {
        std::vector<std::uint8_t> codes;
        for (const Bytes& frame : port.written) {
            codes.push_back(frame[3]);
        }
        return codes;
    }

    FakePort port;
    FakeClock clock;
    FakeSink sink;
    std::vector<std::uint8_t> unanswered;
    std::vector<SaveVerdict::Kind> verdicts;
    std::vector<JournalEntry> journal;
    ControllerSession session;
};

TEST_F(Session, TheSecondReadGoesAfterTheControllersPauseAndNothingGoesBetween) {
    const auto start = clock.now();
    session.readGains();
    session.send(request::setGainRow(GainGroup::Pitch, 40, 0, 30));
    EXPECT_EQ(sentCodes(), std::vector<std::uint8_t>{0xEA});
    runFor(99ms);
    EXPECT_EQ(sentCodes(), std::vector<std::uint8_t>{0xEA});
    runFor(1ms);
    EXPECT_EQ(sentCodes(), (std::vector<std::uint8_t>{0xEA, 0xEC, 0xE4}));
    EXPECT_EQ(port.writtenAt[1] - start, 100ms);
}

TEST_F(Session, KnowledgeBelongsToTheConnectionAndASaveChecksOnlyWhatItKnew) {
    session.readGains();
    reply(gainBlock1(40));
    reply(kGainBlock2);
    EXPECT_EQ(session.gains().standing(kPitchLevel), GainKnowledge::Standing::InFlash);
    session.close();
    EXPECT_EQ(session.gains().standing(kPitchLevel), GainKnowledge::Standing::Unknown);
    EXPECT_EQ(session.gains().lastRead(kPitchLevel)->value, 40) << "kept for a person to be told";

    // Another program changed the gain meanwhile: what this connection never knew is learnt.
    ASSERT_TRUE(session.open("COM1", 19200));
    session.send(request::saveConfiguration());
    reply(makeFrame(0xFA, {0x86}));
    runFor(100ms);
    reply(gainBlock1(99));
    reply(kGainBlock2);
    EXPECT_EQ(verdicts, std::vector{SaveVerdict::Kind::Verified});
    EXPECT_EQ(session.gains().controllerValue(kPitchLevel), 99);

    // The journal: the first read (both halves), then the verified save, each with all 21 gains.
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ((*journal[0].gains)[kPitchLevel], 40);
    EXPECT_EQ(journal[0].port, "COM1");
    EXPECT_EQ(journal[0].device, "/dev/fake/COM1");
    EXPECT_TRUE(journal[1].isSnapshot());
    EXPECT_EQ((*journal[1].gains)[kPitchLevel], 99);
    session.send(request::setGainRow(GainGroup::Pitch, 98, 0, 0));
    reply(makeFrame(0xFA, {0xE4}));
    EXPECT_EQ(journal.back().before[0], 99);
    EXPECT_EQ(journal.back().after[0], 98);

    // Now it is known: a read-back that differs is a mismatch.
    session.send(request::saveConfiguration());
    reply(makeFrame(0xFA, {0x86}));
    runFor(100ms);
    reply(gainBlock1(97));
    reply(kGainBlock2);
    EXPECT_EQ(verdicts.back(), SaveVerdict::Kind::Mismatched);
    EXPECT_FALSE(journal.back().isSnapshot());
}

TEST_F(Session, ASaveWhoseCheckGetsNoAnswerIsSavedButNotVerified) {
    session.send(request::saveConfiguration());
    reply(makeFrame(0xFA, {0x86}));
    runFor(2s);
    EXPECT_EQ(verdicts, std::vector{SaveVerdict::Kind::NotVerified});
    EXPECT_TRUE(unanswered.empty()) << "the verdict says it, not a missing answer";
    EXPECT_EQ(session.gains().standing(kPitchLevel), GainKnowledge::Standing::Unknown);
}

class FirstOpen : public Session {
protected:
    FirstOpen() : Session(SessionOptions{.retries = 1, .readOnFirstOpen = true}) {}
};

// The first open reads twice; answers to the first pair make the repeat's silence no news.
// Every request is tried twice before it counts as unanswered.
TEST_F(FirstOpen, ARepeatedReadWhoseAnswerCameIsNoNewsAndEachRequestIsTriedAgain) {
    runFor(400ms);
    reply(gainBlock1(35));
    reply(kGainBlock2);
    runFor(5s);
    EXPECT_EQ(sentCodes(), (std::vector<std::uint8_t>{0xEA, 0xEC, 0xEA, 0xEC, 0xEA, 0xEC}));
    EXPECT_TRUE(unanswered.empty());

    session.send(request::gyroSelfTest());
    runFor(1999ms);
    EXPECT_TRUE(unanswered.empty());
    runFor(1ms);
    EXPECT_EQ(unanswered, std::vector<std::uint8_t>{0x80});
    EXPECT_EQ(sentCodes().size(), 8u);
}

} // namespace
} // namespace tq37r::test
