// This platform's port against a pty peer, local on Linux and played by a helper process for
// the Windows build under Wine: frame I/O, the write timeout and the watcher thread.
#include <algorithm>
#include <future>
#include <iterator>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "protocol/FrameIo.h"
#include "tests/serial/PtyPeer.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::test {
namespace {

using namespace std::chrono_literals;

TEST(PlatformSerialPort, WritesGoOutUnchangedOrGiveUpAfterTheirTimeout) {
    PtyPeer peer;
    PlatformSerialPort port;
    TxFrame tx;
    tx.assemble(0xD4, {0x0A, 0x0D, 0x11});
    EXPECT_FALSE(sendFrame(port, tx)); // closed
    ASSERT_TRUE(port.open("COM1", {.baudRate = 115200, .writeTimeout = 300ms}));
    EXPECT_TRUE(sendFrame(port, tx));
    EXPECT_EQ(peer.readAvailable(), Bytes(tx.assembled().begin(), tx.assembled().end()));

    // Far more than the line's queues hold, never read: only the time-out can end this write.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.write(Bytes(1 << 20, 0x55)));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 5s); // the default timeout: the setting was not taken
    peer.closeMaster();
    EXPECT_FALSE(sendFrame(port, tx));
}

// Bytes queued before the sink are announced when it is set; the rest arrive while that
// announcement is outstanding. Each drain takes a chunk, and what it leaves is announced
// again without any later byte arriving.
TEST(DrainPort, DrainsABurstInChunksEachAnnouncedInTurn) {
    PtyPeer peer;
    EventQueue sink;
    PlatformSerialPort port;
    ASSERT_TRUE(port.open("COM1", {.baudRate = 115200}));
    Bytes burst;
    for (std::uint8_t i = 0; i < 100; ++i) {
        // CR, XON, XOFF and ^C: bytes a cooked line would swallow or change.
        const Bytes frame = makeFrame(0xF1, {i, 0x0D, 0x11, std::uint8_t(i % 2 != 0 ? 0x13 : 0x03)});
        burst.insert(burst.end(), frame.begin(), frame.end());
    }
    peer.write(std::span(burst).first(100));
    ASSERT_TRUE(eventually([&] { return port.queuedInput() == 100u; }));
    port.setNotifySink(&sink, 1);
    ASSERT_EQ(sink.take(5s), SerialEvent::RxReady);
    peer.write(std::span(burst).subspan(100));
    ASSERT_TRUE(eventually([&] { return port.queuedInput() == burst.size(); }));

    FrameReceiver receiver;
    std::uint8_t next = 0; // every frame whole, in order
    auto handler = [&](std::span<const std::uint8_t> f) { EXPECT_EQ(f[frame::kPayloadOffset], next++); };
    std::vector<std::size_t> chunks;
    do {
        const std::size_t before = port.queuedInput().value_or(0);
        drainPort(port, receiver, handler);
        chunks.push_back(before - port.queuedInput().value_or(0));
    } while (next < 100 && sink.take(5s) == SerialEvent::RxReady);
    EXPECT_EQ(chunks, (std::vector<std::size_t>{255, 255, 255, 235}));
    EXPECT_EQ(next, 100);
    EXPECT_EQ(sink.take(200ms), std::nullopt); // one announcement per drain, none once empty
}

// COM1 open, with the threads its open started: the watcher and, under Wine, at times a
// short-lived one of Wine's own.
class Watcher : public ::testing::Test {
protected:
    void SetUp() override {
        // A sanitizer's runtime starts a helper thread with the process's first: it must not
        // pass for the watcher.
        std::thread([] {}).join();
        const ThreadIds before = threadIds();
        ASSERT_TRUE(port.open("COM1", {19200}));
        std::ranges::set_difference(threadIds(), before, std::inserter(started, started.end()));
        ASSERT_FALSE(started.empty());
    }
    bool anyStillRunning() const {
        const ThreadIds now = threadIds();
        return std::ranges::any_of(started, [&](unsigned long id) { return now.contains(id); });
    }

    PtyPeer peer;
    PlatformSerialPort port;
    ThreadIds started;
};

TEST_F(Watcher, CloseWakesItFromItsWaitAndJoinsIt) {
    std::this_thread::sleep_for(50ms); // let it settle into its wait
    auto closing = std::async(std::launch::async, [&] { port.close(); });
    const bool prompt = closing.wait_for(10s) == std::future_status::ready;
    peer.closeMaster(); // ends a wait that close failed to end, so a failure is no hang
    closing.get();
    EXPECT_TRUE(prompt);
    EXPECT_FALSE(anyStillRunning());
}

// The far end goes away before any sink is set: the watcher ends, and the sink hears of it once.
TEST_F(Watcher, AHangUpEndsItAndIsPostedOnceWhenTheSinkIsSet) {
    EventQueue sink;
    peer.closeMaster();
    ASSERT_TRUE(eventually([&] { return !anyStillRunning(); }));
    port.setNotifySink(&sink, 1);
    EXPECT_EQ(sink.take(0ms), SerialEvent::HangUp);
    // Drains and sinks set until the reader closes bring no second post.
    port.rxDrained();
    port.setNotifySink(&sink, 1);
    EXPECT_EQ(sink.take(200ms), std::nullopt);
}

} // namespace
} // namespace tq37r::test
