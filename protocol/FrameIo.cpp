#include "protocol/FrameIo.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "protocol/LineTime.h"
#include "serial/SerialPort.h"

namespace tq37r {

std::chrono::milliseconds frameQuietGap(std::uint32_t baudRate) {
    constexpr std::chrono::milliseconds kMinimum{50};
    return std::max(kMinimum, std::chrono::ceil<std::chrono::milliseconds>(lineTime(20, baudRate)));
}

bool sendFrame(SerialPort& port, const TxFrame& tx) {
    if (!port.isOpen()) {
        return false;
    }
    // A line error flagged since the last look: drop pending output, leave input alone.
    if (port.takeLineErrors()) {
        port.purgeOutput();
    }
    return port.write(tx.assembled());
}

std::size_t drainPort(SerialPort& port, FrameReceiver& receiver, FrameHandler handler) {
    if (!port.isOpen()) {
        return 0;
    }
    if (port.takeLineErrors()) {
        // Whatever came with the error is suspect: discard it all, parse nothing.
        const std::size_t queued = std::max<std::size_t>(1, port.queuedInput().value_or(1));
        port.purgeInput();
        port.rxDrained();
        return queued;
    }
    // Without a count nothing is read; the next arrival brings a new notification.
    std::size_t count = 0;
    if (const std::optional<std::size_t> queued = port.queuedInput(); queued && *queued > 0) {
        std::array<std::uint8_t, kDrainChunk> buffer;
        count = port.read({buffer.data(), std::min(*queued, kDrainChunk)});
        if (count > 0) {
            receiver.feed({buffer.data(), count}, handler);
        }
    }
    port.rxDrained();
    return count;
}

} // namespace tq37r
