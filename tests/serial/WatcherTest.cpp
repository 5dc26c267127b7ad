#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
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

void openOn(NotifyingSerialPort& port, int portNumber = 1) {
    port.portNumber = portNumber;
    port.dcb = LineSettings{115200, 8, 0, 0};
    ASSERT_TRUE(port.open());
}

// Frame number i with bytes a cooked line would swallow or change (LF, CR, XON, XOFF, ^C).
std::vector<std::uint8_t> numberedFrame(std::uint8_t i) {
    const std::array<std::uint8_t, 4> payload{i, 0x0A, 0x11, static_cast<std::uint8_t>(i % 2 ? 0x13 : 0x03)};
    std::vector<std::uint8_t> bytes(payload.size() + 6);
    bytes.resize(frame::assemble(bytes, 0xF1, payload));
    return bytes;
}

double processCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

TEST(Watcher, BurstIsDrainedWholeInChunksWithoutALaterByte) {
    PtyPeer peer;
    NotifyingSerialPort port;
    TestSink sink;
    openOn(port);
    port.notifyWindow = &sink;

    std::vector<std::uint8_t> burst;
    for (std::uint8_t i = 0; i < 100; ++i) {
        const auto frameBytes = numberedFrame(i);
        burst.insert(burst.end(), frameBytes.begin(), frameBytes.end());
    }
    ASSERT_EQ(burst.size(), 1000u);
    peer.write(burst);
    const auto queuedDeadline = Clock::now() + 5s;
    while (port.queuedInput().value_or(0) < burst.size() && Clock::now() < queuedDeadline) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(port.queuedInput(), burst.size());

    FrameReceiver receiver;
    std::vector<std::uint8_t> seen;
    auto handler = [&](std::span<const std::uint8_t> f) { seen.push_back(f[frame::kPayloadOffset]); };
    int drains = 0;
    while (seen.size() < 100) {
        const auto event = sink.wait(2s);
        ASSERT_EQ(event, SerialEvent::RxReady) << "after " << drains << " drains";
        std::this_thread::sleep_for(20ms); // room for a second, flooding notification to show up
        const std::size_t before = port.queuedInput().value_or(0);
        sink.drainStarts();
        drainPort(port, receiver, handler);
        const std::size_t after = port.queuedInput().value_or(0);
        EXPECT_EQ(before - after, std::min<std::size_t>(before, kDrainChunk));
        ++drains;
    }
    EXPECT_EQ(drains, 4); // 255 + 255 + 255 + 235
    std::vector<std::uint8_t> expected(100);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        expected[i] = static_cast<std::uint8_t>(i);
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(sink.floods(), 0);
    EXPECT_EQ(sink.wait(200ms), std::nullopt); // queue empty: nothing more to announce
}

TEST(Watcher, CloseWakesABlockedWatcherAtOnce) {
    PtyPeer peer;
    NotifyingSerialPort port;
    TestSink sink;
    auto slowest = Clock::duration::zero();
    for (int cycle = 0; cycle < 20; ++cycle) {
        openOn(port);
        port.notifyWindow = &sink;
        std::this_thread::sleep_for(20ms); // the watcher is blocked in its wait by now
        const auto start = Clock::now();
        port.close();
        slowest = std::max(slowest, Clock::now() - start);
    }
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(slowest).count();
    std::printf("slowest close of 20: %lld us\n", static_cast<long long>(micros));
    EXPECT_LT(slowest, 1s); // the requirement is 100 ms; the margin is for a loaded machine
    EXPECT_EQ(sink.wait(0ms), std::nullopt);
}

TEST(Watcher, PeerHangUpEndsTheWatcherWithoutSpinning) {
    PtyPeer peer;
    NotifyingSerialPort port;
    TestSink sink;
    openOn(port);
    port.notifyWindow = &sink;
    peer.closeMaster();
    ASSERT_EQ(sink.wait(2s), SerialEvent::HangUp);

    const double cpuBefore = processCpuSeconds();
    std::this_thread::sleep_for(1s);
    const double cpu = processCpuSeconds() - cpuBefore;
    std::printf("CPU time over the second after hang-up: %.4f s\n", cpu);
    EXPECT_LT(cpu, 0.2);
    EXPECT_EQ(sink.wait(0ms), std::nullopt); // told once

    // The GUI side still works on the dead port without blocking, until it closes it.
    FrameReceiver receiver;
    int frames = 0;
    auto handler = [&](std::span<const std::uint8_t>) { ++frames; };
    const auto start = Clock::now();
    drainPort(port, receiver, handler);
    TxFrame tx;
    sendFrame(port, tx, tx.assemble(0xEA, {}));
    port.close();
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(port.isOpen());
}

TEST(Watcher, BytesThatCameBeforeTheSinkAreNotLost) {
    PtyPeer peer;
    NotifyingSerialPort port;
    TestSink sink;
    FrameReceiver receiver;
    int frames = 0;
    auto handler = [&](std::span<const std::uint8_t>) { ++frames; };
    // However late the watcher looks, every announcement is followed by a drain until the frame is in.
    auto drainUntil = [&](int wanted) {
        for (int turn = 0; frames < wanted && turn < 10; ++turn) {
            if (sink.wait(2s) != SerialEvent::RxReady) {
                return;
            }
            sink.drainStarts();
            drainPort(port, receiver, handler);
        }
    };
    openOn(port);

    // Announced at the next arrival once a sink is there ...
    const auto first = numberedFrame(1);
    peer.write(std::span(first).first(5));
    std::this_thread::sleep_for(100ms);
    port.notifyWindow = &sink;
    peer.write(std::span(first).subspan(5));
    drainUntil(1);
    EXPECT_EQ(frames, 1);

    // ... or at once when the sink is set through setNotifyWindow.
    port.notifyWindow = nullptr;
    const auto second = numberedFrame(2);
    peer.write(second);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(sink.wait(0ms), std::nullopt);
    port.setNotifyWindow(&sink);
    drainUntil(2);
    EXPECT_EQ(frames, 2);
    EXPECT_EQ(sink.floods(), 0);
}

TEST(Watcher, HangUpBeforeTheSinkIsToldOnceTheSinkIsSet) {
    PtyPeer peer;
    NotifyingSerialPort port;
    TestSink sink;
    openOn(port);
    peer.closeMaster();
    std::this_thread::sleep_for(100ms); // the watcher has seen the hang-up with nobody to tell
    port.setNotifyWindow(&sink);
    EXPECT_EQ(sink.wait(2s), SerialEvent::HangUp);
    EXPECT_EQ(sink.wait(100ms), std::nullopt); // once
    port.close();
    EXPECT_FALSE(port.isOpen());
}

} // namespace
} // namespace tq37r
