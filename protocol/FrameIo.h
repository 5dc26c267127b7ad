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

// What a byte takes on the line: a start bit, 8 data bits and a stop bit.
inline constexpr std::uint32_t kLineBitsPerByte = 10;

// How long a line may stay quiet in the middle of a frame before the frame is given up:
// the time of 20 bytes at the line rate, but never less than 50 ms.
std::chrono::milliseconds frameQuietGap(std::uint32_t baudRate);

// Writes the first byteCount bytes of tx whole, or abandons them after the write timeout.
// False when the port is closed or not every byte went.
bool sendFrame(SerialPort& port, const TxFrame& tx, std::size_t byteCount);

// Reads up to kDrainChunk queued bytes into the receiver, or discards the input
// queue when a fresh line error is flagged; then lets the watcher announce any rest.
void drainPort(SerialPort& port, FrameReceiver& receiver, FrameHandler handler);

} // namespace tq37r
