#pragma once

#include <termios.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include "serial/SerialNotifier.h"
#include "serial/SerialPort.h"
#include "serial/posix/PosixWatcher.h"

namespace tq37r {

// A tty opened exclusively (advisory lock and TIOCEXCL), raw 8-N-1 at the chosen rate, with
// its earlier settings put back at close. "COMn" is looked up by resolvePortName; any other
// name is taken as a device path.
class PosixSerialPort final : public SerialPort {
public:
    // The watcher waits on the open descriptor; by default a thread of the port's own.
    explicit PosixSerialPort(std::unique_ptr<DescriptorWatcher> watcher = std::make_unique<PosixWatcher>());
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    OpenResult open(std::string_view portName, const PortSettings& settings) override;
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }

    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t read(std::span<std::uint8_t> buffer) override;
    std::optional<std::size_t> queuedInput() const override;
    bool takeLineErrors() override;
    void purgeInput() override;
    void purgeOutput() override;

    void setNotifySink(SerialEventSink* sink, std::uint32_t tag) override;
    void rxDrained() override;

    std::string resolve(std::string_view portName) const override;

private:
    // Counts of line errors the driver has seen (framing, parity, overrun, break).
    struct LineErrorCounts {
        std::uint64_t frame = 0, parity = 0, overrun = 0, brk = 0;
        friend bool operator==(const LineErrorCounts&, const LineErrorCounts&) = default;
    };

    // Everything after the device is open, locked and its settings saved; the failure only.
    OpenResult setUp(std::uint32_t baudRate);
    void restoreLine() const;
    std::optional<LineErrorCounts> readErrorCounts() const;

    int fd_ = -1;
    std::chrono::milliseconds writeTimeout_{};
    termios savedLine_{};                    // the device's settings before open
    std::optional<std::uint32_t> savedRate_; // and its rate, which termios may not carry
    LineErrorCounts lastErrorCounts_;
    bool keepsErrorCounts_ = false; // the driver answered TIOCGICOUNT at open
    SerialNotifier notifier_;
    std::unique_ptr<DescriptorWatcher> watcher_;
};

} // namespace tq37r
