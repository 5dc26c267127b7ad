// Arbitrary bytes, cut into arbitrary feeds, through the frame receiver with the
// reply decoder behind it, and a frame left unfinished at the end given up. Aborts on
// any handed frame that breaks the framing rules, on any difference between a split
// stream and the same bytes fed whole, and on any decoded value outside what its wire
// field can carry.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>
#include <sanitizer/asan_interface.h>

#include "device/Reply.h"
#include "protocol/Frame.h"
#include "protocol/FrameReceiver.h"

namespace {

using tq37r::FrameReceiver;
namespace frame = tq37r::frame;
namespace reply = tq37r::reply;

constexpr std::size_t kLongestFrame = 257;

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

// Decodes a frame from a heap copy whose addressable bytes end where the frame ends, so a
// read past the frame is caught (as use-after-poison). One buffer, poisoned past each frame,
// stands in for an allocation per frame, which would cost more than the decoding.
tq37r::Reply decodeFenced(std::span<const std::uint8_t> frameBytes) {
    static std::uint8_t* const fence = new std::uint8_t[kLongestFrame];
    ASAN_UNPOISON_MEMORY_REGION(fence, kLongestFrame);
    std::memcpy(fence, frameBytes.data(), frameBytes.size());
    ASAN_POISON_MEMORY_REGION(fence + frameBytes.size(), kLongestFrame - frameBytes.size());
    return tq37r::decodeReply({fence, frameBytes.size()});
}

// The handed frames back to back, kept across inputs so that recording one allocates nothing.
struct Frames {
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> ends;

    void clear() {
        bytes.clear();
        ends.clear();
    }
    bool operator==(const Frames&) const = default;
};

// Checks each handed frame where it lies and records it; the split pass decodes it too. The
// whole pass need not: its frames must equal the split pass's, byte for byte.
class Checker {
public:
    Checker(const FrameReceiver& receiver, Frames& frames, bool decode)
        : receiver_(receiver), frames_(frames), decode_(decode) {
        frames_.clear();
    }

    void operator()(std::span<const std::uint8_t> frameBytes) {
        require(frameBytes.data() == receiver_.rxBuffer().data());
        require(frameBytes.size() >= frame::kPayloadOffset + 2);
        require(frameBytes[0] == frame::kHeader1 && frameBytes[1] == frame::kHeader2);
        const std::uint8_t length = frameBytes[frame::kLengthOffset];
        require(frameBytes.size() == frame::totalSize(length) && frameBytes.size() <= kLongestFrame);
        require(frameBytes.back() == frame::kTrailer);
        require(frame::checksum(frameBytes) == frameBytes[length]);
        if (decode_) {
            checkReply(decodeFenced(frameBytes));
        }
        frames_.bytes.insert(frames_.bytes.end(), frameBytes.begin(), frameBytes.end());
        frames_.ends.push_back(frames_.bytes.size());
    }

private:
    const FrameReceiver& receiver_;
    Frames& frames_;
    bool decode_;
};

// Every handed frame must be bytes of the stream, each starting after the previous one ended.
void checkFramesComeFromStream(const Frames& frames, const std::uint8_t* data, std::size_t size) {
    std::size_t from = 0;
    std::size_t begin = 0;
    for (const std::size_t end : frames.ends) {
        const void* at = memmem(data + from, size - from, frames.bytes.data() + begin, end - begin);
        require(at != nullptr);
        from = static_cast<std::size_t>(static_cast<const std::uint8_t*>(at) - data) + (end - begin);
        begin = end;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Frames splitFrames;
    static Frames wholeFrames;
    // The whole input is the byte stream; the feed sizes are drawn from its tail, so
    // a plain capture of the line is a useful seed as it stands.
    FuzzedDataProvider cuts(data, size);

    FrameReceiver split;
    Checker splitChecker(split, splitFrames, true);
    std::size_t pos = 0;
    while (pos < size) {
        // Up to 300 bytes: more than one drain ever reads, and empty feeds too. Once the
        // tail is used up, the rest goes in one feed.
        const std::size_t n = cuts.remaining_bytes() == 0
                                  ? size - pos
                                  : std::min(cuts.ConsumeIntegralInRange<std::size_t>(0, 300), size - pos);
        split.feed({data + pos, n}, splitChecker);
        pos += n;
        require(split.writePos() < FrameReceiver::kBufferSize);
    }

    FrameReceiver whole;
    Checker wholeChecker(whole, wholeFrames, false);
    whole.feed({data, size}, wholeChecker);

    // A line that falls silent mid-frame: both are left holding the same part, and giving it
    // up hands the same frames from inside it (its replay may stop mid-frame again).
    require(split.midFrame() == whole.midFrame());
    while (split.midFrame()) {
        split.abandonFrame(splitChecker);
        whole.abandonFrame(wholeChecker);
        require(split.midFrame() == whole.midFrame());
    }

    require(splitFrames == wholeFrames);
    checkFramesComeFromStream(wholeFrames, data, size);
    return 0;
}
