#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "protocol/Frame.h"
#include "protocol/FrameIo.h"
#include "serial/NotifyingSerialPort.h"
#include "tests/serial/PtyPeer.h"
#include "tests/serial/TestSink.h"

namespace tq37r {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::PtyPeer;
using test::TestSink;

void openOn(NotifyingSerialPort& port) {
    port.portNumber = 1;
    port.dcb = LineSettings{57600, 8, 0, 0};
    ASSERT_TRUE(port.open());
}

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

TEST(SendFrame, WritesTheFrameBytesUnchanged) {
    PtyPeer peer;
    NotifyingSerialPort port;
    TxFrame tx;
    const std::size_t size = tx.assemble(0xD4, {0x0A, 0x0D, 0x11});

    sendFrame(port, tx, size); // closed: nothing happens
    openOn(port);
    sendFrame(port, tx, size);
    const std::vector<std::uint8_t> expected(tx.assembled().begin(), tx.assembled().end());
    EXPECT_EQ(peer.readAvailable(), expected);

    // A count past the buffer sends the buffer, never what lies beyond it.
    sendFrame(port, tx, 1000);
    EXPECT_EQ(peer.readAvailable().size(), TxFrame::kCapacity);
}

TEST(SendFrame, GivesUpAfterTheWriteTimeoutWhenThePeerNeverReads) {
    PtyPeer peer;
    NotifyingSerialPort port;
    openOn(port);
    port.timeouts.writeTotal = 300ms;

    // Far more than the pty buffers: the write can only end by its time-out.
    const std::vector<std::uint8_t> flood(1 << 20, 0x55);
    auto start = Clock::now();
    EXPECT_FALSE(port.writeAll(flood));
    const double floodMs = millisSince(start);

    // The time-out purged our output; fill the line up again for the frame to meet.
    const std::uint8_t filler[256] = {};
    while (::write(port.fd(), filler, sizeof filler) > 0) {
    }
    TxFrame tx;
    start = Clock::now();
    sendFrame(port, tx, tx.assemble(0xEA, {}));
    const double frameMs = millisSince(start);
    std::printf("write gave up after %.1f ms (flood) and %.1f ms (frame); time-out 300 ms\n", floodMs,
                frameMs);
    EXPECT_GE(floodMs, 290.0);
    EXPECT_LT(floodMs, 1500.0);
    EXPECT_GE(frameMs, 290.0);
    EXPECT_LT(frameMs, 1500.0);

    // Once the peer reads again, the next frame goes out whole.
    peer.readAvailable();
    const std::size_t size = tx.assemble(0xEC, {});
    sendFrame(port, tx, size);
    const std::vector<std::uint8_t> expected(tx.assembled().begin(), tx.assembled().end());
    EXPECT_EQ(peer.readAvailable(), expected);
}

TEST(DrainPort, HandlerSeesEveryFrameOfAStreamWrittenInRandomChunks) {
    PtyPeer peer;
    NotifyingSerialPort port;
    TestSink sink;
    openOn(port);
    port.notifyWindow = &sink;

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    std::vector<std::vector<std::uint8_t>> frames;
    std::vector<std::uint8_t> stream;
    for (int i = 0; i < 400; ++i) {
        std::vector<std::uint8_t> payload(random() % 31);
        for (auto& byte : payload) {
            byte = static_cast<std::uint8_t>(random());
        }
        std::vector<std::uint8_t> bytes(payload.size() + 6);
        frame::assemble(bytes, static_cast<std::uint8_t>(random()), payload);
        stream.insert(stream.end(), bytes.begin(), bytes.end());
        frames.push_back(std::move(bytes));
    }

    std::thread writer([&, chunkSeed = random()] {
        std::mt19937 chunks(chunkSeed);
        for (std::size_t pos = 0; pos < stream.size();) {
            const std::size_t size = std::min<std::size_t>(1 + chunks() % 97, stream.size() - pos);
            peer.write(std::span(stream).subspan(pos, size));
            pos += size;
            if (chunks() % 8 == 0) {
                std::this_thread::sleep_for(1ms);
            }
        }
    });

    FrameReceiver receiver;
    std::size_t next = 0;
    bool allMatched = true;
    auto handler = [&](std::span<const std::uint8_t> f) {
        allMatched = allMatched && next < frames.size() &&
                     std::equal(f.begin(), f.end(), frames[next].begin(), frames[next].end());
        ++next;
    };
    const auto deadline = Clock::now() + 20s;
    while (next < frames.size() && Clock::now() < deadline) {
        if (sink.wait(2s) == SerialEvent::RxReady) {
            sink.drainStarts();
            drainPort(port, receiver, handler);
        }
    }
    writer.join();
    EXPECT_EQ(next, frames.size());
    EXPECT_TRUE(allMatched);
    EXPECT_EQ(sink.floods(), 0);
    std::printf("%zu bytes in %d notifications\n", stream.size(), sink.rxPosts());
}

} // namespace
} // namespace tq37r
