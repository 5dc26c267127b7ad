#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "protocol/Frame.h"
#include "protocol/FrameReceiver.h"
#include "tests/support/FrameBytes.h"

namespace tq37r {
namespace {

using test::Bytes;
using test::makeFrame;

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

// Feeds a receiver and keeps a copy of every frame it hands over.
class Recorder {
public:
    void feed(const Bytes& bytes) { receiver.feed(bytes, *this); }
    void feedByteByByte(const Bytes& bytes) {
        for (std::uint8_t b : bytes) {
            receiver.feed({&b, 1}, *this);
        }
    }
    void operator()(std::span<const std::uint8_t> frameBytes) {
        // Frames are read in place, from the start of the receive buffer.
        EXPECT_EQ(frameBytes.data(), receiver.rxBuffer().data());
        frames.emplace_back(frameBytes.begin(), frameBytes.end());
    }

    FrameReceiver receiver;
    std::vector<Bytes> frames;
};

const Bytes kReadReply = makeFrame(0xED, {15, 1, 8, 15, 1, 8});
const Bytes kAck = makeFrame(0xFA, {0xE4});
const Bytes kState = makeFrame(0xF1, {0x00, 0x06, 0x08});

TEST(FrameReceiver, FrameSplitAcrossFeedsIsHandledOnceWhenItsTrailerArrives) {
    Recorder r;
    for (std::size_t i = 0; i + 1 < kReadReply.size(); ++i) {
        r.feed({kReadReply[i]});
        EXPECT_TRUE(r.frames.empty()) << "handled early at byte " << i;
    }
    r.feed({kReadReply.back()});
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0], kReadReply);
}

TEST(FrameReceiver, SeveralFramesInOneFeedAreHandledInOrder) {
    Recorder r;
    r.feed(concat({kAck, kReadReply, kState, kAck}));
    EXPECT_EQ(r.frames, (std::vector<Bytes>{kAck, kReadReply, kState, kAck}));
}

TEST(FrameReceiver, NoiseBeforeAndBetweenFramesLosesNothing) {
    Recorder r;
    r.feed(concat({{0x00, 0x13, 0xFF}, kAck, {0x5A, 0xAA}, kState, {0x01}, kReadReply}));
    EXPECT_EQ(r.frames, (std::vector<Bytes>{kAck, kState, kReadReply}));
}

TEST(FrameReceiver, OneStrayByteBeforeAFrameDoesNotLoseIt) {
    Recorder r;
    r.feed(concat({{0x42}, kAck}));
    EXPECT_EQ(r.frames, std::vector<Bytes>{kAck});
}

TEST(FrameReceiver, RepeatedHeaderByteStartsTheFrameAtTheLastOne) {
    Recorder r;
    r.feed(concat({{0xA5}, kAck}));               // A5 A5 5A ...
    r.feed(concat({{0xA5, 0xA5, 0xA5}, kState})); // and a longer run
    EXPECT_EQ(r.frames, (std::vector<Bytes>{kAck, kState}));
}

TEST(FrameReceiver, FrameCutShortDoesNotHideTheFrameItsLengthSwallowed) {
    // A reply cut off after four bytes: its length byte claims the start of the next frame.
    const Bytes cut(kReadReply.begin(), kReadReply.begin() + 6);
    Recorder r;
    r.feed(concat({cut, kAck, kState}));
    EXPECT_EQ(r.frames, (std::vector<Bytes>{kAck, kState}));

    // Two cut frames in a row, fed byte by byte, hide nothing either.
    Recorder slow;
    slow.feedByteByByte(concat({cut, cut, kAck, cut, kState}));
    EXPECT_EQ(slow.frames, (std::vector<Bytes>{kAck, kState}));
}

TEST(FrameReceiver, AFrameThatStopsArrivingIsGivenUpWithoutLosingTheFramesInsideIt) {
    // Noise that looks like the header of a 255-byte frame, then two good frames, then silence.
    const Bytes strayHeader{0xA5, 0x5A, 0xFF};
    Recorder r;
    r.feed(concat({strayHeader, kAck, kState}));
    EXPECT_TRUE(r.frames.empty());
    EXPECT_TRUE(r.receiver.midFrame());
    r.receiver.abandonFrame(r);
    EXPECT_EQ(r.frames, (std::vector<Bytes>{kAck, kState}));
    EXPECT_FALSE(r.receiver.midFrame());

    // A reset forgets the stray header outright: the next frame is handled at once.
    Recorder fresh;
    fresh.feed(strayHeader);
    fresh.receiver.reset();
    fresh.feed(kAck);
    EXPECT_EQ(fresh.frames, (std::vector<Bytes>{kAck}));
}

TEST(FrameReceiver, BadChecksumOrTrailerDropsOnlyThatFrame) {
    Bytes badSum = kAck;
    badSum[badSum.size() - 2] ^= 0x01;
    Bytes badTrailer = kAck;
    badTrailer.back() = 0xAB;
    Recorder r;
    r.feed(concat({badSum, kState, badTrailer, kReadReply}));
    EXPECT_EQ(r.frames, (std::vector<Bytes>{kState, kReadReply}));
}

TEST(FrameReceiver, ImpossibleLengthsReturnToHuntingAtOnce) {
    for (std::uint8_t length : {0, 1, 2, 3}) {
        Recorder r;
        r.feed(concat({{0xA5, 0x5A, length}, kAck}));
        EXPECT_EQ(r.frames, std::vector<Bytes>{kAck}) << "length " << int(length);
        EXPECT_EQ(r.receiver.rxState(), FrameReceiver::RxState::Hunting);
    }
}

TEST(FrameReceiver, LongRunWithoutAFrameEndKeepsWorking) {
    Bytes run(600);
    for (std::size_t i = 0; i < run.size(); ++i) {
        run[i] = static_cast<std::uint8_t>(i % 7 == 0 ? 0xA5 : (i * 31) & 0x7F);
    }
    Recorder r;
    r.feed(run);
    r.feed(kAck);
    r.feed(concat({{0xA5, 0x5A, 0xFF}, Bytes(600, 0x00), kState}));
    EXPECT_LE(r.receiver.writePos(), FrameReceiver::kBufferSize);
    r.feed(kReadReply);
    ASSERT_FALSE(r.frames.empty());
    EXPECT_EQ(r.frames.front(), kAck);
    EXPECT_EQ(r.frames.back(), kReadReply);
}

TEST(FrameReceiver, RandomNoiseAndRandomChunksFindEveryFrameInOrder) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        auto byte = [&] { return static_cast<std::uint8_t>(rng()); };
        Bytes stream;
        std::vector<Bytes> expected;
        for (int n = 0; n < 200; ++n) {
            const int noise = static_cast<int>(rng() % 6);
            for (int i = 0; i < noise; ++i) {
                // Header bytes in the noise are what makes resynchronisation hard.
                const std::uint8_t choices[] = {0xA5, 0x5A, 0xAA, byte()};
                stream.push_back(choices[rng() % 4]);
            }
            Bytes payload(rng() % 20);
            for (auto& b : payload) {
                b = byte();
            }
            expected.push_back(makeFrame(byte(), payload));
            stream.insert(stream.end(), expected.back().begin(), expected.back().end());
        }
        // A noise header with a long length holds the frames after it until its own
        // end has arrived; the line goes on, so let it.
        stream.insert(stream.end(), 300, 0x00);
        Recorder r;
        for (std::size_t pos = 0; pos < stream.size();) {
            const std::size_t take = std::min<std::size_t>(1 + rng() % 40, stream.size() - pos);
            r.feed(Bytes(stream.begin() + pos, stream.begin() + pos + take));
            pos += take;
        }
        ASSERT_EQ(r.frames.size(), expected.size()) << "seed " << seed;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_TRUE(r.frames[i] == expected[i]) << "seed " << seed << ", frame " << i;
        }
    }
}

} // namespace
} // namespace tq37r
