#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace tq37r {

// Line settings applied at each open; the caller fills them before open().
struct LineSettings {
    std::uint32_t baudRate = 0;
    std::uint8_t byteSize = 0; // 8
    std::uint8_t parity = 0;   // 0 = none
    std::uint8_t stopBits = 0; // 0 = one stop bit
};

// Reads never wait: they take what is queued. Writes give up after writeTotal.
struct CommTimeouts {
    std::chrono::milliseconds writeTotal{5000};
};

// Why the last open failed, for the "open fail" box's detail line.
enum class OpenFailure { None, NoSuchDevice, PermissionDenied, InUse, RateNotSupported, Other };

// Owns the port's file descriptor and the settings an open applies.
class SerialPort {
public:
    SerialPort() = default;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    virtual ~SerialPort();

    virtual bool open() = 0;
    virtual void close();

    bool isOpen() const { return handle.load(std::memory_order_acquire) >= 0; }
    int fd() const { return handle.load(std::memory_order_acquire); }

    OpenFailure lastOpenFailure() const { return lastOpenFailure_; }
    // The device path the last open tried ("" when COMn named no device).
    const std::string& lastDevicePath() const { return lastDevicePath_; }

    std::int32_t portNumber = 0; // COMn, 1..1024
    LineSettings dcb;
    CommTimeouts timeouts;

protected:
    std::atomic<int> handle{-1}; // -1 when closed; the watcher reads it
    OpenFailure lastOpenFailure_ = OpenFailure::None;
    std::string lastDevicePath_;
};

} // namespace tq37r
