#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>

#include "serial/SerialPort.h"

namespace tq37r {

// Counts of line errors the driver has seen (framing, parity, overrun, break).
struct LineErrorCounts {
    std::uint64_t frame = 0, parity = 0, overrun = 0, brk = 0;
    friend bool operator==(const LineErrorCounts&, const LineErrorCounts&) = default;
};

// Opens and configures the device, and gives frame input/output the calls it needs.
class OverlappedSerialPort : public SerialPort {
public:
    OverlappedSerialPort();
    ~OverlappedSerialPort() override;

    // Exclusive, raw 8-N-1 at dcb.baudRate, no flow control, DTR and RTS off, both directions purged.
    bool open() override;
    void close() override;

    // Bytes waiting in the input queue; nullopt when the driver cannot tell.
    std::optional<std::size_t> queuedInput() const;
    // True when a line error was flagged since the last call (from any thread); clears the flag.
    bool takeLineErrors();
    // Non-blocking read of what is queued; 0 when nothing or on error.
    std::size_t read(std::span<std::uint8_t> buffer);
    // Writes all bytes within timeouts.writeTotal; on time-out the rest is abandoned and output purged.
    bool writeAll(std::span<const std::uint8_t> bytes);
    void purgeInput();
    void purgeOutput();

protected:
    // Opens and configures the device only; a derived open() adds its own steps.
    bool openDevice();
    void closeDevice();

private:
    struct SavedLine; // the device's settings before open, put back at close
    bool configure(int fd);
    void fail(OpenFailure failure, int fd);

    std::mutex errorMutex_; // the watcher and the GUI thread both clear line errors
    LineErrorCounts lastErrorCounts_;
    std::unique_ptr<SavedLine> savedLine_;
};

} // namespace tq37r
