// Arbitrary bytes, cut into arbitrary feeds, through the frame receiver with the
// reply decoder behind it. Aborts on any handed frame that breaks the framing rules,
// on any difference between a split stream and the same bytes fed whole, and on any
// decoded value outside what its wire field can carry.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "device/Reply.h"
#include "protocol/Frame.h"
#include "protocol/FrameReceiver.h"

namespace {

using tq37r::FrameReceiver;
namespace frame = tq37r::frame;
namespace reply = tq37r::reply;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void checkStatus(const tq37r::StatusMessage& status) {
    require(status.text().size() < 96);
    require(status.countdown() == tq37r::kCountdownReply || status.countdown() == tq37r::kCountdownGyro ||
            status.countdown() == tq37r::kCountdownFirmware);
}

void checkReply(const tq37r::Reply& decoded) {
    if (const auto* r = std::get_if<reply::GainReadBack>(&decoded)) {
        for (std::size_t i = 0; i < tq37r::kGainCount; ++i) {
            require(r->carries(i) || r->values[i] == 0); // a block fills its own rows only
        }
        checkStatus(r->status);
    } else if (const auto* r = std::get_if<reply::FlightParams>(&decoded)) {
        require(r->targetAltitude >= 0 && r->targetAltitude <= 65535);
        require(r->circlingRadius >= 0 && r->circlingRadius <= 65535);
        checkStatus(r->status);
    } else if (const auto* r = std::get_if<reply::StateReport>(&decoded)) {
        require(r->flightModeState >= 0 && r->flightModeState <= 3);
        require((r->taskState >= 0 && r->taskState <= 3) || r->taskState == 255);
    } else if (const auto* r = std::get_if<reply::MixingMode>(&decoded)) {
        require(r->item >= -1 && r->item <= 3);
        checkStatus(r->status);
    } else if (const auto* r = std::get_if<reply::GyroResult>(&decoded)) {
        for (double v : {r->x, r->y, r->z}) {
            require(v >= -12.85 && v <= 12.75);
        }
        if (r->passed) {
            checkStatus(r->status);
        } else {
            require(r->status.text().empty()); // a failed test shows nothing
        }
    } else if (const auto* r = std::get_if<reply::FirmwareVersion>(&decoded)) {
        require(r->model <= 255 && r->version >= 0 && r->version < 2.56);
        checkStatus(r->status);
    } else if (const auto* r = std::get_if<reply::Acknowledgement>(&decoded)) {
        if (r->status) {
            checkStatus(*r->status);
        }
    }
}

// Checks each handed frame where it lies, decodes it from an exact-size copy (so a
// read past the frame's end is an out-of-bounds read), and keeps the frames in order.
class Checker {
public:
    explicit Checker(const FrameReceiver& receiver) : receiver_(receiver) {}

    void operator()(std::span<const std::uint8_t> frameBytes) {
        require(frameBytes.data() == receiver_.rxBuffer().data());
        require(frameBytes.size() >= frame::kPayloadOffset + 2);
        require(frameBytes[0] == frame::kHeader1 && frameBytes[1] == frame::kHeader2);
        const std::uint8_t length = frameBytes[frame::kLengthOffset];
        require(frameBytes.size() == frame::totalSize(length) && frameBytes.size() <= 257);
        require(frameBytes.back() == frame::kTrailer);
        require(frame::checksum(frameBytes) == frameBytes[length]);

        const auto copy = std::make_unique<std::uint8_t[]>(frameBytes.size());
        std::memcpy(copy.get(), frameBytes.data(), frameBytes.size());
        const tq37r::Reply decoded = tq37r::decodeReply({copy.get(), frameBytes.size()});
        checkReply(decoded);
        require(decoded.index() == tq37r::decodeReply(frameBytes).index());

        frames.emplace_back(frameBytes.begin(), frameBytes.end());
    }

    std::vector<std::vector<std::uint8_t>> frames;

private:
    const FrameReceiver& receiver_;
};

// Every handed frame must be bytes of the stream, each starting after the previous one ended.
void checkFramesComeFromStream(const std::vector<std::vector<std::uint8_t>>& frames, const std::uint8_t* data,
                               std::size_t size) {
    std::size_t from = 0;
    for (const auto& f : frames) {
        const void* at = memmem(data + from, size - from, f.data(), f.size());
        require(at != nullptr);
        from = static_cast<std::size_t>(static_cast<const std::uint8_t*>(at) - data) + f.size();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The whole input is the byte stream; the feed sizes are drawn from its tail, so
    // a plain capture of the line is a useful seed as it stands.
    FuzzedDataProvider cuts(data, size);

    FrameReceiver split;
    Checker splitFrames(split);
    std::size_t pos = 0;
    while (pos < size) {
        // Up to 300 bytes: more than one drain ever reads, and empty feeds too. Once the
        // tail is used up, the rest goes in one feed.
        const std::size_t n = cuts.remaining_bytes() == 0
                                  ? size - pos
                                  : std::min(cuts.ConsumeIntegralInRange<std::size_t>(0, 300), size - pos);
        split.feed({data + pos, n}, splitFrames);
        pos += n;
        require(split.writePos() < FrameReceiver::kBufferSize);
    }

    FrameReceiver whole;
    Checker wholeFrames(whole);
    whole.feed({data, size}, wholeFrames);

    require(splitFrames.frames == wholeFrames.frames);
    checkFramesComeFromStream(wholeFrames.frames, data, size);
    return 0;
}
