#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "protocol/Frame.h"
#include "protocol/FrameReceiver.h"
#include "sim/FaultInjector.h"

namespace tq37r::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Line {
    Bytes bytes;
    std::vector<Bytes> intact; // frames sent unspoiled, in order
    std::size_t corrupted = 0;
    std::size_t noiseBytes = 0;
};

// Frames with a running number in the payload, so every frame is told apart.
Line sendNumberedFrames(FaultSettings settings, std::uint32_t seed, int count) {
    FaultInjector injector(settings, seed);
    Line line;
    for (int i = 0; i < count; ++i) {
        const Bytes payload{static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i & 0xFF),
                            static_cast<std::uint8_t>(i * 37), 0xA5};
        Bytes frameBytes(payload.size() + 6);
        frame::assemble(frameBytes, static_cast<std::uint8_t>(0xF1 + i % 3), payload);
        const FaultInjector::Outcome outcome = injector.shape(frameBytes, line.bytes);
        line.noiseBytes += outcome.noiseBytes;
        if (outcome.corrupted) {
            ++line.corrupted;
        } else {
            line.intact.push_back(frameBytes);
        }
    }
    return line;
}

std::vector<Bytes> receiveInChunks(const Bytes& stream, std::uint32_t seed) {
    FrameReceiver receiver;
    std::vector<Bytes> handled;
    auto handler = [&handled](std::span<const std::uint8_t> f) { handled.emplace_back(f.begin(), f.end()); };
    std::mt19937 random(seed);
    std::size_t pos = 0;
    while (pos < stream.size()) {
        const std::size_t chunk =
            std::min<std::size_t>(std::uniform_int_distribution<int>(1, 40)(random), stream.size() - pos);
        receiver.feed({stream.data() + pos, chunk}, handler);
        pos += chunk;
    }
    return handled;
}

TEST(FaultInjector, ReceiverDropsEverySpoiledFrameAndKeepsEveryIntactOne) {
    for (std::uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
        const Line line = sendNumberedFrames({0.5, 0.3, 0}, seed, 400);
        // Both kinds of damage really happened.
        EXPECT_GT(line.corrupted, 60u);
        EXPECT_LT(line.corrupted, 180u);
        EXPECT_GT(line.noiseBytes, 400u);
        EXPECT_EQ(receiveInChunks(line.bytes, seed), line.intact) << "seed " << seed;
    }
}

TEST(FaultInjector, CleanSettingsPassFramesUnchanged) {
    const Line line = sendNumberedFrames({}, 9, 50);
    EXPECT_EQ(line.corrupted, 0u);
    EXPECT_EQ(line.noiseBytes, 0u);
    Bytes joined;
    for (const Bytes& f : line.intact) {
        joined.insert(joined.end(), f.begin(), f.end());
    }
    EXPECT_EQ(line.bytes, joined);
}

TEST(FaultInjector, EveryFrameSpoiledMeansNothingGetsThrough) {
    const Line line = sendNumberedFrames({1, 1, 0}, 11, 100);
    EXPECT_EQ(line.corrupted, 100u);
    EXPECT_TRUE(receiveInChunks(line.bytes, 11).empty());
}

TEST(FaultInjector, SameSeedSameLine) {
    EXPECT_EQ(sendNumberedFrames({0.5, 0.5, 0}, 42, 100).bytes,
              sendNumberedFrames({0.5, 0.5, 0}, 42, 100).bytes);
    EXPECT_NE(sendNumberedFrames({0.5, 0.5, 0}, 42, 100).bytes,
              sendNumberedFrames({0.5, 0.5, 0}, 43, 100).bytes);
}

TEST(FaultInjector, DropRateFollowsTheSetting) {
    FaultInjector never({0, 0, 0}, 1);
    FaultInjector always({0, 0, 1}, 1);
    FaultInjector half({0, 0, 0.5}, 1);
    int halfDropped = 0;
    for (int i = 0; i < 1000; ++i) {
        EXPECT_FALSE(never.dropRequest());
        EXPECT_TRUE(always.dropRequest());
        halfDropped += half.dropRequest() ? 1 : 0;
    }
    EXPECT_GT(halfDropped, 400);
    EXPECT_LT(halfDropped, 600);
}

} // namespace
} // namespace tq37r::sim
