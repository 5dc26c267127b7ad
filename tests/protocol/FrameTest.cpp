#include <gtest/gtest.h>

#include <array>

#include "protocol/Frame.h"
#include "protocol/FrameReceiver.h"
#include "protocol/TxFrame.h"
#include "tests/support/FrameBytes.h"

namespace tq37r {
namespace {

using test::Bytes;
using test::makeFrame;

TEST(Frame, WorkedExamplesChecksumLengthCodeAndPayloadOnly) {
    // Longest first into one buffer, as the tool reuses it: nothing may be left of an earlier frame.
    const std::pair<Bytes, Bytes> examples[] = {
        {{0xE4, 0x23, 0x00, 0x1E}, {0xA5, 0x5A, 0x07, 0xE4, 0x23, 0x00, 0x1E, 0x2C, 0xAA}}, // sum wraps
        {{0xEA}, {0xA5, 0x5A, 0x04, 0xEA, 0xEE, 0xAA}},
        {{0x92, 0x00}, {0xA5, 0x5A, 0x05, 0x92, 0x00, 0x97, 0xAA}},
    };
    TxFrame tx;
    for (const auto& [request, expected] : examples) {
        EXPECT_EQ(tx.assemble(request[0], Bytes(request.begin() + 1, request.end())), expected.size());
        EXPECT_EQ(Bytes(tx.assembled().begin(), tx.assembled().end()), expected);
        EXPECT_EQ(frame::checksum(expected), expected[expected.size() - 2]);
    }
}

TEST(Frame, PayloadsTheLengthByteOrTheBufferCannotHoldAreRefused) {
    std::array<std::uint8_t, 300> roomy{};
    EXPECT_EQ(frame::assemble(roomy, 0x03, Bytes(251, 0x33)), 257u);
    EXPECT_EQ(frame::assemble(roomy, 0x03, Bytes(252, 0x33)), 0u) << "a length byte cannot count 256";
    TxFrame tx;
    EXPECT_EQ(tx.assemble(0x01, Bytes(250, 0x11)), TxFrame::kCapacity);
    EXPECT_EQ(tx.assemble(0x02, Bytes(251, 0x22)), 0u); // 257 bytes
    EXPECT_TRUE(tx.assembled().empty());
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

// Feeds a receiver and keeps a copy of every frame it hands over.
struct Recorder {
    void feed(const Bytes& bytes) { receiver.feed(bytes, *this); }
    void operator()(std::span<const std::uint8_t> frameBytes) {
        frames.emplace_back(frameBytes.begin(), frameBytes.end());
    }
    FrameReceiver receiver;
    std::vector<Bytes> frames;
};

const Bytes kReadReply = makeFrame(0xED, {15, 1, 8, 15, 1, 8});
const Bytes kAck = makeFrame(0xFA, {0xE4});
const Bytes kState = makeFrame(0xF1, {0x00, 0x06, 0x08});

// Each stream is fed whole and byte by byte: what is found must not depend on how the line chunks it.
TEST(FrameReceiver, FindsEachGoodFrameOnceAndInOrder) {
    // Cut off after six bytes: its length byte claims the start of the next frame.
    const Bytes cut(kReadReply.begin(), kReadReply.begin() + 6);
    Bytes badSum = kAck, badTrailer = kAck, badHeader = kAck;
    badSum[badSum.size() - 2] ^= 0x01;
    badTrailer.back() = 0xAB;
    badHeader[1] = 0x00; // checksum and trailer still fit
    // Header bytes with nothing that could end a frame, then a header claiming 255 bytes.
    // A bad frame inside a bad frame, then a good one: searched again, the rest still read.
    const Bytes nested =
        concat({{0xA5, 0x5A, 0x12, 0xF1}, {0xA5, 0x5A, 0x05, 0xFA, 0xA5, 0x00, 0xAA}, kAck, {0x00, 0xAA}});
    Bytes run;
    for (int i = 0; i < 600; ++i) {
        run.push_back(i % 7 == 0 ? 0xA5 : i & 0x7F);
    }
    const std::pair<Bytes, std::vector<Bytes>> streams[] = {
        {concat({kAck, kReadReply, kState, kAck}), {kAck, kReadReply, kState, kAck}},
        {concat({{0x42, 0x13, 0xFF}, kAck, {0x5A, 0xAA}, kState, {0x01}, kReadReply}),
         {kAck, kState, kReadReply}},
        {concat({{0xA5}, kAck, {0xA5, 0xA5, 0xA5}, kState}), {kAck, kState}}, // the last A5 starts the frame
        {concat({cut, kAck, cut, cut, kState}), {kAck, kState}},
        {concat({badSum, kState, badTrailer, badHeader, kReadReply}), {kState, kReadReply}},
        {nested, {kAck}},
        {concat({run, kAck, {0xA5, 0x5A, 0xFF}, Bytes(600, 0x00), kState}), {kAck, kState}},
    };
    for (const auto& [stream, expected] : streams) {
        Recorder whole, byByte;
        whole.feed(stream);
        for (std::uint8_t b : stream) {
            byByte.feed({b});
        }
        EXPECT_EQ(whole.frames, expected);
        EXPECT_EQ(byByte.frames, expected);
    }
}

TEST(FrameReceiver, ImpossibleLengthsReturnToHuntingAtOnce) {
    for (std::uint8_t length : {0, 1, 2, 3}) {
        Recorder r;
        r.feed({0xA5, 0x5A, length});
        EXPECT_FALSE(r.receiver.midFrame()) << "length " << int(length);
    }
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
}

} // namespace
} // namespace tq37r
