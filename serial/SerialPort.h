#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tq37r {

// Why an open failed, in words a user can act on.
enum class OpenFailure { None, NoSuchDevice, PermissionDenied, InUse, RateNotSupported, Other };

struct OpenResult {
    OpenFailure failure = OpenFailure::None;
    int osError = 0;        // errno, or GetLastError(), of the call that failed; 0 when none did
    std::string devicePath; // what the port name stood for; "" when it named no device
    explicit operator bool() const { return failure == OpenFailure::None; }
};

// The line is always 8 data bits, no parity, one stop bit, no flow control, DTR and RTS off;
// only the rate is chosen. Reads never wait; a write gives up after writeTimeout.
struct PortSettings {
    std::uint32_t baudRate = 0;
    std::chrono::milliseconds writeTimeout{5000};
};

enum class SerialEvent { RxReady, HangUp };

// Where a port's watcher announces waiting bytes and hang-ups. Called on the watcher's thread
// (one of the port's own, or the owner's event loop), so it must only post; tag is the value
// given to setNotifySink, for telling opens apart.
class SerialEventSink {
public:
    virtual void postSerialEvent(SerialEvent event, std::uint32_t tag) = 0;

protected:
    ~SerialEventSink() = default;
};

// One serial port, opened exclusively. While open, a watcher announces to the sink
// that bytes are waiting (one announcement outstanding until rxDrained) or that the device
// went away (once). Every call but the sink's comes from one thread.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // portName is "COMn", looked up by this platform's naming rules, or a device path.
    // Opening an open port closes it first.
    virtual OpenResult open(std::string_view portName, const PortSettings& settings) = 0;
    // Stops the watcher and releases the device; harmless when closed.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // True when all bytes went within the write timeout; on a time-out the rest is dropped.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // What is queued, up to buffer's size, without waiting; 0 when nothing or on error.
    virtual std::size_t read(std::span<std::uint8_t> buffer) = 0;
    // Bytes waiting in the input queue; nullopt when the driver cannot tell.
    virtual std::optional<std::size_t> queuedInput() const = 0;
    // True when a line error (framing, parity, overrun, break) was flagged since the last look.
    virtual bool takeLineErrors() = 0;
    virtual void purgeInput() = 0;
    virtual void purgeOutput() = 0;

    // Announcements go to sink from now on; ones that came while there was none are made now.
    virtual void setNotifySink(SerialEventSink* sink, std::uint32_t tag) = 0;
    // The reader has drained: the watcher may announce what is still queued.
    virtual void rxDrained() = 0;

    // The device a port name stands for on this machine; "" when there is none.
    virtual std::string resolve(std::string_view portName) const = 0;
};

} // namespace tq37r
