// The search for the controller, driven by the session on a fake port and clock.
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
    // Runs the search to its end, each deadline in turn, the port's bytes read as they come.
    void run() {
        while (session.search().running()) {
            if (!port.input.empty()) {
                session.onRxReady(port.sinkTag);
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
    ControllerSession session{port, clock, sink, *this};
};

// Every listed port that is present, COM9 too; an absent port tried once, not at every rate; a
// frame of the probe's code too short to be a read-back is no answer; once a port answers, its
// slower rates are not tried.
TEST_F(Search, TriesEachPortAtEachRateUntilItAnswersWithAWholeReadBack) {
    port.present = {"COM2", "COM9"};
    EXPECT_EQ(listedPortsPresent(port), (std::vector<std::string>{"COM2", "COM9"}));
    port.peer = [this](const Bytes&) {
        const Bytes answer = makeFrame(0xEB, Bytes(port.openedName == "COM9" ? 18 : 3, 1));
        port.input.insert(port.input.end(), answer.begin(), answer.end());
    };
    session.startSearch({"COM1", "COM2", "COM9"}, {115200, 57600}, 300ms, false);
    run();
    EXPECT_EQ(port.opens, (std::vector<std::string>{"COM1 115200", "COM2 115200", "COM2 57600", "COM9 115200"}));
    EXPECT_EQ(session.search().found(), (std::vector<ControllerSearch::Found>{{"COM9", 115200}}));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(moves, 4) << "three tries and the end";
}

} // namespace
} // namespace tq37r::test
