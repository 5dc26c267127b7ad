#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/FrameHandler.h"

namespace tq37r {

// Why a run of bytes that began like a frame was not one.
enum class BadFrame : std::uint8_t { Checksum, Trailer, Length, GivenUp };

// Hears what the receiver drops, for a line log. Called inside feed and abandonFrame, with
// spans valid only during the call.
class ReceiverObserver {
public:
    // Bytes passed over while hunting for a header.
    virtual void skipped(std::span<const std::uint8_t> bytes) = 0;
    // A frame that failed its check, or was cut short: its bytes as gathered.
    virtual void badFrame(std::span<const std::uint8_t> bytes, BadFrame why) = 0;

protected:
    ~ReceiverObserver() = default;
};

// Finds frames in a byte stream. Every frame is gathered with its 0xA5 at
// offset 0 of rxBuffer, checked there, and handed to the handler in place.
class FrameReceiver {
public:
    static constexpr std::size_t kBufferSize = 520;

    enum class RxState : std::uint8_t { Hunting, HeaderSeen, ExpectLength, InBody };

    // Runs bytes through the state machine; calls handler once for each good
    // frame, in order. State carries over between calls.
    void feed(std::span<const std::uint8_t> bytes, FrameHandler handler);

    // True while part of a frame is buffered and the rest has not come yet.
    bool midFrame() const { return rxState_ != RxState::Hunting; }
    // Gives up a frame that stopped arriving: it fails like a bad checksum, and its bytes
    // after the first are searched again, so a good frame inside it is still handled.
    void abandonFrame(FrameHandler handler);
    // Back to hunting with nothing buffered, as for a line that has just been opened.
    void reset();
    // Who hears of dropped bytes and bad frames; nullptr for nobody, which costs nothing.
    void setObserver(ReceiverObserver* observer) { observer_ = observer; }

    std::size_t writePos() const { return writePos_; }
    const std::array<std::uint8_t, kBufferSize>& rxBuffer() const { return rxBuffer_; }

private:
    // Consumes bytes until they run out or a frame fails its check; returns how many it took.
    std::size_t consume(std::span<const std::uint8_t> bytes, FrameHandler handler);
    // Called with the frame's last byte stored; true when the frame failed its check.
    bool finishFrame(FrameHandler handler);
    // Keeps the failed frame's bytes from its first inner 0xA5 on for replay; true when there are any.
    bool keepForReplay(std::size_t size);
    void replayKept(FrameHandler handler);
    void startFrame();

    std::array<std::uint8_t, kBufferSize> rxBuffer_{};
    std::size_t writePos_ = 0;
    RxState rxState_ = RxState::Hunting;
    std::int32_t rxRemaining_ = 0;

    // Bytes of a failed frame, from its first inner 0xA5 on, still to be searched for a header.
    std::array<std::uint8_t, kBufferSize> replay_{};
    std::size_t replayLength_ = 0;
    ReceiverObserver* observer_ = nullptr;
};

} // namespace tq37r
