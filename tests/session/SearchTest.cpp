// The search for the controller, driven by the session on fake ports and a fake clock.
#include <gtest/gtest.h>

#include "session/ControllerSession.h"
#include "tests/support/Fakes.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::test {
namespace {

using namespace std::chrono_literals;

struct Search : ::testing::Test, SessionListener {
    Search() { port.clock = &clock; }
    void onSearchMoved() override { ++moves; }
    // Runs the search to its end: what the ports announced, then each deadline in turn.
    void run() {
        while (session.search().running()) {
            if (!sink.posted.empty()) {
                for (const auto& [event, tag] : std::exchange(sink.posted, {})) {
                    session.onRxReady(tag);
                }
                continue;
            }
            clock.advance(std::chrono::ceil<std::chrono::milliseconds>(*session.nextDeadline() - clock.now()),
                          [](int) {});
            session.poll();
        }
    }

    FakePort port;
    FakeClock clock;
    FakeSink sink;
    int moves = 0;
    ControllerSession session{port, clock, sink, *this, {}, [this] { return port.sibling(); }};
};

// Every listed port that is present, COM9 too, all at once; an absent port tried once, not at
// every rate; a frame of the probe's code too short to be a read-back is no answer, but bytes
// that came are told; once a port answers, its slower rates are not tried.
TEST_F(Search, TriesEveryPortAtOnceEachRateInTurnUntilItAnswersWithAWholeReadBack) {
    port.present = {"COM2", "COM9"};
    EXPECT_EQ(listedPortsPresent(port), (std::vector<std::string>{"COM2", "COM9"}));
    port.siblingPeer = [](FakePort& line, const Bytes&) {
        const Bytes answer = makeFrame(0xEB, Bytes(line.openedName == "COM9" ? 18 : 3, 1));
        line.input.insert(line.input.end(), answer.begin(), answer.end());
    };
    session.startSearch({"COM1", "COM2", "COM9"}, {115200, 57600}, 300ms, false);
    run();
    EXPECT_EQ(port.opens,
              (std::vector<std::string>{"COM1 115200", "COM2 115200", "COM9 115200", "COM2 57600"}));
    EXPECT_EQ(session.search().found(), (std::vector<ControllerSearch::Found>{{"COM9", 115200}}));
    const std::vector<ControllerSearch::Silent> silent = session.search().silent();
    ASSERT_EQ(silent.size(), 2u);
    EXPECT_EQ(silent[0].failure, OpenFailure::NoSuchDevice);
    EXPECT_EQ(silent[1].heardAt, (std::vector<std::uint32_t>{115200, 57600})) << "bytes, but no answer";
    EXPECT_GE(moves, 2);
}

} // namespace
} // namespace tq37r::test
