#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "protocol/FrameHandler.h"
#include "protocol/FrameReceiver.h"
#include "protocol/TxFrame.h"

namespace tq37r {

class SerialPort;

// At most this many bytes are read per notification.
inline constexpr std::size_t kDrainChunk = 255;

// How long a line may stay quiet in the middle of a frame before the frame is given up:
// the time of 20 bytes at the line rate, but never less than 50 ms.
std::chrono::milliseconds frameQuietGap(std::uint32_t baudRate);

// Writes the frame assembled last in tx whole, or abandons it after the write timeout.
// False when the port is closed or not every byte went.
bool sendFrame(SerialPort& port, const TxFrame& tx);

// Reads up to kDrainChunk queued bytes into the receiver, or discards the input
// queue when a fresh line error is flagged; then lets the watcher announce any rest.
// Returns how many bytes came (at least 1 for a line error): a search tells by it a line where
// something answers at another rate from a silent one.
std::size_t drainPort(SerialPort& port, FrameReceiver& receiver, FrameHandler handler);

} // namespace tq37r
