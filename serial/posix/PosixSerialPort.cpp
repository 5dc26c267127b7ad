#include "serial/posix/PosixSerialPort.h"

#include "serial/PortName.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <thread>
#include <utility>

#include "serial/posix/KernelBaudRate.h"
#include "serial/posix/PortNames.h"

namespace tq37r {

namespace {

using Clock = std::chrono::steady_clock;

OpenResult failed(OpenFailure failure, int osError) {
    return OpenResult{failure, osError, {}};
}

OpenFailure failureFromErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return OpenFailure::NoSuchDevice;
    case EACCES:
    case EPERM:
        return OpenFailure::PermissionDenied;
    case EBUSY:       // another opener set TIOCEXCL
    case EWOULDBLOCK: // another opener holds the lock
        return OpenFailure::InUse;
    default:
        return OpenFailure::Other;
    }
}

// A UART's divisor rarely hits a rate exactly; 2% is what a receiver tolerates.
bool rateTaken(std::uint32_t wanted, std::optional<std::uint32_t> actual) {
    if (!actual) {
        return false;
    }
    const std::uint64_t difference = *actual > wanted ? *actual - wanted : wanted - *actual;
    return difference * 50 <= wanted;
}

void waitForOutputToLeave(int fd, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace

PosixSerialPort::PosixSerialPort(std::unique_ptr<DescriptorWatcher> watcher) : watcher_(std::move(watcher)) {}

PosixSerialPort::~PosixSerialPort() {
    close();
}

std::string PosixSerialPort::resolve(std::string_view portName) const {
    if (const std::optional<ComPort> port = ComPort::parse(portName)) {
        return resolvePortName(port->number());
    }
    return std::string(portName);
}

OpenResult PosixSerialPort::open(std::string_view portName, const PortSettings& settings) {
    close();
    const std::string devicePath = resolve(portName);
    if (devicePath.empty()) {
        return failed(OpenFailure::NoSuchDevice, 0);
    }
    OpenResult result;
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // TIOCEXCL (in setUp) turns away other openers except root; the advisory lock also stops
    // root and every program that checks it. tcgetattr fails on anything but a terminal.
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::tcgetattr(fd, &savedLine_) != 0) {
        const int error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        result = failed(failureFromErrno(error), error);
    } else {
        savedRate_ = kernelBaudRate(fd);
        fd_ = fd;
        result = setUp(settings.baudRate);
        if (result) {
            writeTimeout_ = settings.writeTimeout;
        } else {
            close();
        }
    }
    result.devicePath = devicePath;
    return result;
}

OpenResult PosixSerialPort::setUp(std::uint32_t baudRate) {
    if (::ioctl(fd_, TIOCEXCL) != 0) {
        return failed(OpenFailure::Other, errno);
    }
    termios line = savedLine_;
    // Raw: no input or output processing, no local modes, no software flow control.
    line.c_iflag = 0;
    line.c_oflag = 0;
    line.c_lflag = 0;
    // 8-N-1, no hardware flow control, modem lines ignored, DTR not raised again on close.
    line.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
    line.c_cflag |= CS8 | CLOCAL | CREAD;
    line.c_cc[VMIN] = 1; // the watcher hears of input from the first byte; reads never wait (O_NONBLOCK)
    line.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &line) != 0) {
        return failed(OpenFailure::Other, errno);
    }
    // Rate 0 would mean "hang up" to the driver.
    if (baudRate == 0) {
        return failed(OpenFailure::RateNotSupported, 0);
    }
    if (!setKernelBaudRate(fd_, baudRate)) {
        return failed(OpenFailure::RateNotSupported, errno);
    }
    if (!rateTaken(baudRate, kernelBaudRate(fd_))) {
        return failed(OpenFailure::RateNotSupported, 0);
    }
    // The open itself raised DTR and RTS; drop them. A pty has no modem lines and answers
    // ENOTTY or EINVAL, which is fine.
    const int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd_, TIOCMBIC, &lines) != 0 && errno != ENOTTY && errno != EINVAL) {
        return failed(OpenFailure::Other, errno);
    }
    ::tcflush(fd_, TCIOFLUSH);
    const std::optional<LineErrorCounts> counts = readErrorCounts();
    keepsErrorCounts_ = counts.has_value();
    lastErrorCounts_ = counts.value_or(LineErrorCounts{});
    notifier_.reset();
    if (const int error = watcher_->start(fd_, notifier_); error != 0) {
        return failed(OpenFailure::Other, error);
    }
    return {};
}

void PosixSerialPort::close() {
    if (fd_ < 0) {
        return;
    }
    watcher_->stop();
    ::ioctl(fd_, TIOCNXCL);
    // The last frame gets a moment to leave at our settings; whatever is still queued is
    // dropped, since restored settings (hardware flow control, say) could otherwise hold
    // close() for the driver's closing wait.
    waitForOutputToLeave(fd_, std::chrono::milliseconds(200));
    ::tcflush(fd_, TCIOFLUSH);
    restoreLine();
    ::close(fd_); // also drops the lock
    fd_ = -1;
}

void PosixSerialPort::restoreLine() const {
    ::tcsetattr(fd_, TCSANOW, &savedLine_);
    // Plain termios cannot carry an arbitrary rate back; put it back the way it was read.
    if (savedRate_ && kernelBaudRate(fd_) != savedRate_) {
        setKernelBaudRate(fd_, *savedRate_);
    }
}

bool PosixSerialPort::write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) {
        return false;
    }
    const Clock::time_point deadline = Clock::now() + writeTimeout_;
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd_, bytes.data() + written, bytes.size() - written);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && errno != EAGAIN) {
            return false; // hung up or failed: nothing more will go out
        }
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) {
            break;
        }
        pollfd writable{fd_, POLLOUT, 0};
        const auto waitMs = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        const int ready = ::poll(&writable, 1, static_cast<int>(waitMs));
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (ready > 0 && (writable.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            return false;
        }
    }
    if (written == bytes.size()) {
        return true;
    }
    // Timed out: what is still queued would go out late, mixed with the next frame.
    ::tcflush(fd_, TCOFLUSH);
    return false;
}

std::size_t PosixSerialPort::read(std::span<std::uint8_t> buffer) {
    if (fd_ < 0 || buffer.empty()) {
        return 0;
    }
    for (;;) {
        const ssize_t count = ::read(fd_, buffer.data(), buffer.size());
        if (count >= 0) {
            return static_cast<std::size_t>(count);
        }
        if (errno != EINTR) {
            return 0;
        }
    }
}

std::optional<std::size_t> PosixSerialPort::queuedInput() const {
    int count = 0;
    if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &count) != 0 || count < 0) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(count);
}

std::optional<PosixSerialPort::LineErrorCounts> PosixSerialPort::readErrorCounts() const {
    serial_icounter_struct counters{};
    if (::ioctl(fd_, TIOCGICOUNT, &counters) != 0) {
        return std::nullopt; // a pty keeps no counters: it has no line errors
    }
    LineErrorCounts counts;
    counts.frame = static_cast<std::uint64_t>(counters.frame);
    counts.parity = static_cast<std::uint64_t>(counters.parity);
    counts.overrun =
        static_cast<std::uint64_t>(counters.overrun) + static_cast<std::uint64_t>(counters.buf_overrun);
    counts.brk = static_cast<std::uint64_t>(counters.brk);
    return counts;
}

bool PosixSerialPort::takeLineErrors() {
    // Asked at every drain: a driver that keeps no counts (a pty) is not asked again.
    if (fd_ < 0 || !keepsErrorCounts_) {
        return false;
    }
    const std::optional<LineErrorCounts> counts = readErrorCounts();
    if (!counts || *counts == lastErrorCounts_) {
        return false;
    }
    lastErrorCounts_ = *counts;
    return true;
}

void PosixSerialPort::purgeInput() {
    if (fd_ >= 0) {
        ::tcflush(fd_, TCIFLUSH);
    }
}

void PosixSerialPort::purgeOutput() {
    if (fd_ >= 0) {
        ::tcflush(fd_, TCOFLUSH);
    }
}

void PosixSerialPort::setNotifySink(SerialEventSink* sink, std::uint32_t tag) {
    notifier_.setSink(sink, tag);
    watcher_->wake();
}

void PosixSerialPort::rxDrained() {
    notifier_.drained();
    watcher_->wake();
}

} // namespace tq37r
