#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tq37r {

// Layout shared by both directions: A5 5A L code payload... checksum AA,
// where L counts every byte after the two header bytes.
namespace frame {
inline constexpr std::uint8_t kHeader1 = 0xA5;
inline constexpr std::uint8_t kHeader2 = 0x5A;
inline constexpr std::uint8_t kTrailer = 0xAA;
inline constexpr std::size_t kLengthOffset = 2;
inline constexpr std::size_t kCodeOffset = 3;
inline constexpr std::size_t kPayloadOffset = 4;
// Length byte of the shortest frame that still holds a code and a checksum.
inline constexpr std::uint8_t kMinLength = 4;
inline constexpr std::size_t kMaxPayload = 255 - 4;

// Bytes a frame carries beside its payload: the header, the length, the code, the checksum
// and the trailer.
inline constexpr std::size_t kOverhead = 6;
inline constexpr std::size_t sizeForPayload(std::size_t payloadSize) {
    return payloadSize + kOverhead;
}
// The payload bytes in a whole frame of this size.
inline constexpr std::size_t payloadSize(std::size_t frameSize) {
    return frameSize < kOverhead ? 0 : frameSize - kOverhead;
}

inline constexpr std::size_t totalSize(std::uint8_t length) {
    return std::size_t{length} + 2;
}
inline constexpr std::uint8_t lengthForPayload(std::size_t payloadSize) {
    return static_cast<std::uint8_t>(payloadSize + 4);
}

// Low 8 bits of the sum of the bytes at offsets 2 .. L-1 (length, code, payload).
std::uint8_t checksum(std::span<const std::uint8_t> frameBytes);

// Writes a whole frame for code and payload into out. Returns the number of bytes written
// (L + 2), or 0, writing nothing, when the payload is longer than a length byte can count or
// the frame does not fit into out.
std::size_t assemble(std::span<std::uint8_t> out, std::uint8_t code, std::span<const std::uint8_t> payload);
} // namespace frame

} // namespace tq37r
