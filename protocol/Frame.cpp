#include "protocol/Frame.h"

#include <algorithm>

namespace tq37r::frame {

std::uint8_t checksum(std::span<const std::uint8_t> frameBytes) {
    const std::size_t length = frameBytes[kLengthOffset];
    std::uint8_t sum = 0;
    for (std::size_t i = kLengthOffset; i < length; ++i) {
        sum = static_cast<std::uint8_t>(sum + frameBytes[i]);
    }
    return sum;
}

std::size_t assemble(std::span<std::uint8_t> out, std::uint8_t code, std::span<const std::uint8_t> payload) {
    // The length byte counts at most 255, and the frame must fit where it goes.
    if (payload.size() > kMaxPayload || out.size() < sizeForPayload(payload.size())) {
        return 0;
    }
    const std::uint8_t length = lengthForPayload(payload.size());
    out[0] = kHeader1;
    out[1] = kHeader2;
    out[kLengthOffset] = length;
    out[kCodeOffset] = code;
    std::copy(payload.begin(), payload.end(), out.begin() + kPayloadOffset);
    out[length] = checksum(out);
    out[length + 1] = kTrailer;
    return totalSize(length);
}

} // namespace tq37r::frame
