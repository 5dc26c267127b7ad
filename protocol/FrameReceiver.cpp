#include "protocol/FrameReceiver.h"

#include <algorithm>
#include <cstring>

#include "protocol/Frame.h"

namespace tq37r {

void FrameReceiver::feed(std::span<const std::uint8_t> bytes, FrameHandler handler) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        pos += consume(bytes.subspan(pos), handler);
        replayKept(handler);
    }
}

void FrameReceiver::abandonFrame(FrameHandler handler) {
    if (rxState_ == RxState::Hunting) {
        return;
    }
    const std::size_t size = writePos_;
    rxState_ = RxState::Hunting;
    writePos_ = 0;
    if (observer_ != nullptr) {
        observer_->badFrame({rxBuffer_.data(), size}, BadFrame::GivenUp);
    }
    if (keepForReplay(size)) {
        replayKept(handler);
    }
}

void FrameReceiver::reset() {
    rxState_ = RxState::Hunting;
    writePos_ = 0;
    rxRemaining_ = 0;
    replayLength_ = 0;
}

// A frame that failed its check may have swallowed the start of the next one,
// so its bytes after the first are searched again before the stream goes on.
void FrameReceiver::replayKept(FrameHandler handler) {
    while (replayLength_ > 0) {
        std::array<std::uint8_t, kBufferSize> pending;
        const std::size_t count = replayLength_;
        std::copy_n(replay_.begin(), count, pending.begin());
        replayLength_ = 0;
        const std::size_t used = consume({pending.data(), count}, handler);
        // The unread rest goes after whatever the new failure queued for replay.
        std::copy(pending.begin() + used, pending.begin() + count, replay_.begin() + replayLength_);
        replayLength_ += count - used;
    }
}

void FrameReceiver::startFrame() {
    rxBuffer_[0] = frame::kHeader1;
    writePos_ = 1;
    rxState_ = RxState::HeaderSeen;
}

std::size_t FrameReceiver::consume(std::span<const std::uint8_t> bytes, FrameHandler handler) {
    const std::size_t count = bytes.size();
    std::size_t i = 0;
    while (i < count) {
        switch (rxState_) {
        case RxState::Hunting: {
            // Bytes between frames are not kept, so every frame starts at offset 0.
            const void* found = std::memchr(bytes.data() + i, frame::kHeader1, count - i);
            const std::size_t at =
                found == nullptr
                    ? count
                    : static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - bytes.data());
            if (observer_ != nullptr && at != i) {
                observer_->skipped(bytes.subspan(i, at - i));
            }
            if (found == nullptr) {
                return count;
            }
            i = at;
            // Fast path: a whole frame already in this run is copied in one go.
            const std::size_t available = count - i;
            if (available >= 3 && bytes[i + 1] == frame::kHeader2 && bytes[i + 2] >= frame::kMinLength &&
                available >= frame::totalSize(bytes[i + 2])) {
                const std::size_t size = frame::totalSize(bytes[i + 2]);
                std::memmove(rxBuffer_.data(), bytes.data() + i, size);
                writePos_ = size;
                i += size;
                if (finishFrame(handler)) {
                    return i;
                }
                break;
            }
            ++i;
            startFrame();
            break;
        }
        case RxState::HeaderSeen: {
            const std::uint8_t b = bytes[i++];
            if (b == frame::kHeader2) {
                rxBuffer_[writePos_++] = b;
                rxState_ = RxState::ExpectLength;
            } else if (b == frame::kHeader1) {
                if (observer_ != nullptr) {
                    observer_->skipped({rxBuffer_.data(), 1});
                }
                startFrame(); // A5 A5 5A: the second 0xA5 is the real header
            } else {
                if (observer_ != nullptr) {
                    const std::uint8_t broken[] = {frame::kHeader1, b};
                    observer_->skipped(broken);
                }
                rxState_ = RxState::Hunting;
                writePos_ = 0;
            }
            break;
        }
        case RxState::ExpectLength: {
            const std::uint8_t length = bytes[i++];
            if (length < frame::kMinLength) {
                // No room for a code and a checksum: cannot be a frame.
                if (observer_ != nullptr) {
                    rxBuffer_[writePos_] = length;
                    observer_->badFrame({rxBuffer_.data(), writePos_ + 1}, BadFrame::Length);
                }
                rxState_ = RxState::Hunting;
                writePos_ = 0;
                break;
            }
            rxBuffer_[writePos_++] = length;
            rxRemaining_ = length - 1; // code .. trailer
            rxState_ = RxState::InBody;
            break;
        }
        case RxState::InBody: {
            const std::size_t take = std::min(static_cast<std::size_t>(rxRemaining_), count - i);
            std::memmove(rxBuffer_.data() + writePos_, bytes.data() + i, take);
            writePos_ += take;
            i += take;
            rxRemaining_ -= static_cast<std::int32_t>(take);
            if (rxRemaining_ == 0 && finishFrame(handler)) {
                return i;
            }
            break;
        }
        }
    }
    return count;
}

bool FrameReceiver::finishFrame(FrameHandler handler) {
    const std::size_t size = writePos_;
    rxState_ = RxState::Hunting;
    writePos_ = 0;
    const std::span<const std::uint8_t> frameBytes{rxBuffer_.data(), size};
    const std::uint8_t length = rxBuffer_[frame::kLengthOffset];
    const bool trailerRight = rxBuffer_[size - 1] == frame::kTrailer;
    if (trailerRight && frame::checksum(frameBytes) == rxBuffer_[length]) {
        handler(frameBytes);
        return false;
    }
    if (observer_ != nullptr) {
        observer_->badFrame(frameBytes, trailerRight ? BadFrame::Checksum : BadFrame::Trailer);
    }
    return keepForReplay(size);
}

bool FrameReceiver::keepForReplay(std::size_t size) {
    const void* inner = size > 1 ? std::memchr(rxBuffer_.data() + 1, frame::kHeader1, size - 1) : nullptr;
    if (inner == nullptr) {
        return false;
    }
    const auto offset = static_cast<std::size_t>(static_cast<const std::uint8_t*>(inner) - rxBuffer_.data());
    replayLength_ = size - offset;
    std::copy_n(rxBuffer_.begin() + offset, replayLength_, replay_.begin());
    return true;
}

} // namespace tq37r
