#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>

#include "serial/SerialNotifier.h"
#include "serial/SerialPort.h"
#include "serial/win32/Win32Watcher.h"

namespace tq37r {

// A communications port opened overlapped (and so exclusively, as Windows opens them) as
// \\.\COMn, which also reaches COM10 and up; 8-N-1 at the chosen rate, no flow control, DTR
// and RTS off. Any name but COMn is opened as the path it is.
class Win32SerialPort final : public SerialPort {
public:
    Win32SerialPort() = default;
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    OpenResult open(std::string_view portName, const PortSettings& settings) override;
    void close() override;
    bool isOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t read(std::span<std::uint8_t> buffer) override;
    std::optional<std::size_t> queuedInput() const override;
    bool takeLineErrors() override;
    void purgeInput() override;
    void purgeOutput() override;

    void setNotifySink(SerialEventSink* sink, std::uint32_t tag) override;
    void rxDrained() override;

    // The NT device a COM name stands for (e.g. \Device\Serial0); any other name as it is.
    std::string resolve(std::string_view portName) const override;

private:
    // Everything after CreateFile; the failure only.
    OpenResult setUp(const PortSettings& settings);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::chrono::milliseconds writeTimeout_{};
    // Line-error flags (CE_*) seen by any ClearCommError, the watcher's included, until taken.
    mutable std::atomic<DWORD> lineErrors_{0};
    SerialNotifier notifier_;
    Win32Watcher watcher_;
};

} // namespace tq37r
