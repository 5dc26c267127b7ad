#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "protocol/Frame.h"
#include "protocol/TxFrame.h"

namespace tq37r {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes assembled(const TxFrame& tx) {
    return {tx.assembled().begin(), tx.assembled().end()};
}

TEST(FrameLayout, WorkedExamplesAssembleByteForByte) {
    TxFrame tx;
    EXPECT_EQ(tx.assemble(0xEA, {}), 6u);
    EXPECT_EQ(assembled(tx), (Bytes{0xA5, 0x5A, 0x04, 0xEA, 0xEE, 0xAA}));

    EXPECT_EQ(tx.assemble(0x92, {0x00}), 7u);
    EXPECT_EQ(assembled(tx), (Bytes{0xA5, 0x5A, 0x05, 0x92, 0x00, 0x97, 0xAA}));
}

TEST(FrameLayout, ChecksumWrapsModulo256AndSkipsHeaderAndTrailer) {
    TxFrame tx;
    EXPECT_EQ(tx.assemble(0xE4, {35, 0, 30}), 9u);
    EXPECT_EQ(assembled(tx), (Bytes{0xA5, 0x5A, 0x07, 0xE4, 0x23, 0x00, 0x1E, 0x2C, 0xAA}));
    EXPECT_EQ(frame::checksum(tx.assembled()), 0x2C);
}

TEST(FrameLayout, PayloadsTooLongForTheLengthByteOrTheBufferAreRefused) {
    TxFrame tx;
    tx.assemble(0x86, {});
    const Bytes fits(TxFrame::kCapacity - 6, 0x11);
    EXPECT_EQ(tx.assemble(0x01, fits), TxFrame::kCapacity);
    EXPECT_EQ(tx.assembled()[2], 0xFE);

    const Bytes tooLong(TxFrame::kCapacity - 5, 0x22); // L would be 255, but 257 bytes do not fit
    EXPECT_EQ(tx.assemble(0x02, tooLong), 0u);
    EXPECT_TRUE(tx.assembled().empty());
    std::array<std::uint8_t, 300> roomy{};
    EXPECT_EQ(frame::assemble(roomy, 0x03, Bytes(251, 0x33)), 257u);
    EXPECT_EQ(frame::assemble(roomy, 0x03, Bytes(252, 0x33)), 0u) << "a length byte cannot count 256";
}

TEST(FrameLayout, EachRequestOverwritesTheLastFromOffsetZero) {
    TxFrame tx;
    tx.assemble(0xE4, {1, 2, 3});
    const std::size_t n = tx.assemble(0x86, {});
    EXPECT_EQ(n, 6u);
    EXPECT_EQ(assembled(tx), (Bytes{0xA5, 0x5A, 0x04, 0x86, 0x8A, 0xAA}));
    // Only the first n bytes are handed on; what the longer frame left behind is not.
    EXPECT_EQ(tx.bytes(n).size(), 6u);
}

} // namespace
} // namespace tq37r
