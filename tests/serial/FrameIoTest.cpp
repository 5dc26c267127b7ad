#include <numeric>
#include <vector>

#include <gtest/gtest.h>

#include "protocol/FrameIo.h"
#include "tests/support/FrameBytes.h"
// Frame I/O on this platform's port, against a pty peer that is local on Linux and played by
// a helper process for the Windows build under Wine.
#ifdef _WIN32
#include "tests/win32/RemotePtyPeer.h"
#else
#include "tests/serial/PtyPeer.h"
#endif

namespace tq37r {
namespace {

using namespace std::chrono_literals;
using test::EventQueue;
using test::PtyPeer;

TEST(SendFrame, WritesTheFrameBytesUnchangedAndSaysWhetherTheyWent) {
    PtyPeer peer;
    test::PlatformSerialPort port;
    TxFrame tx;
    const std::size_t size = tx.assemble(0xD4, {0x0A, 0x0D, 0x11});
    EXPECT_FALSE(sendFrame(port, tx, size)); // closed

    ASSERT_TRUE(port.open("COM1", {}));
    EXPECT_TRUE(sendFrame(port, tx, size));
    EXPECT_EQ(peer.readAvailable(), test::Bytes(tx.assembled().begin(), tx.assembled().end()));
    // A count past the buffer sends the buffer, never what lies beyond it.
    EXPECT_TRUE(sendFrame(port, tx, 1000));
    EXPECT_EQ(peer.readAvailable().size(), TxFrame::kCapacity);
    peer.closeMaster();
    EXPECT_FALSE(sendFrame(port, tx, size));
}

// Bytes queued before the sink are announced when it is set; the rest arrive while that
// announcement is outstanding. Each drain takes a chunk, and what it leaves is announced
// again without any later byte arriving.
TEST(DrainPort, DrainsABurstInChunksEachAnnouncedInTurn) {
    PtyPeer peer;
    EventQueue sink;
    test::PlatformSerialPort port;
    ASSERT_TRUE(port.open("COM1", {.baudRate = 115200}));
    test::Bytes burst;
    for (std::uint8_t i = 0; i < 100; ++i) {
        // CR, XON, XOFF and ^C: bytes a cooked line would swallow or change.
        const std::uint8_t stopOrInterrupt = i % 2 != 0 ? 0x13 : 0x03;
        const test::Bytes frame = test::makeFrame(0xF1, {i, 0x0D, 0x11, stopOrInterrupt});
        burst.insert(burst.end(), frame.begin(), frame.end());
    }
    ASSERT_EQ(burst.size(), 1000u);
    for (std::size_t sent = 0; sent < burst.size(); sent += 100) {
        peer.write(std::span(burst).subspan(sent, 100));
        ASSERT_TRUE(test::eventually([&] { return port.queuedInput() == sent + 100; }));
        if (sent == 0) {
            port.setNotifySink(&sink, 1);
            ASSERT_EQ(sink.take(5s), SerialEvent::RxReady);
        }
    }

    FrameReceiver receiver;
    test::Bytes seen;
    auto handler = [&](std::span<const std::uint8_t> f) { seen.push_back(f[frame::kPayloadOffset]); };
    std::vector<std::size_t> chunks;
    do {
        const std::size_t before = port.queuedInput().value_or(0);
        drainPort(port, receiver, handler);
        chunks.push_back(before - port.queuedInput().value_or(0));
    } while (seen.size() < 100 && sink.take(5s) == SerialEvent::RxReady);
    EXPECT_EQ(chunks, (std::vector<std::size_t>{255, 255, 255, 235}));
    test::Bytes expected(100);
    std::iota(expected.begin(), expected.end(), std::uint8_t{0});
    EXPECT_EQ(seen, expected);                 // every frame whole, in order
    EXPECT_EQ(sink.take(200ms), std::nullopt); // one announcement per drain, none once empty
}

} // namespace
} // namespace tq37r
