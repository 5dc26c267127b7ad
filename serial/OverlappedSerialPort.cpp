#include "serial/OverlappedSerialPort.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "serial/KernelBaudRate.h"
#include "serial/PortNames.h"

namespace tq37r {

struct OverlappedSerialPort::SavedLine {
    termios settings{};
    std::optional<std::uint32_t> rate;

    void restore(int fd) const {
        ::tcsetattr(fd, TCSANOW, &settings);
        // Plain termios cannot carry an arbitrary rate back; put it back the way it was read.
        if (rate && kernelBaudRate(fd) != rate) {
            setKernelBaudRate(fd, *rate);
        }
    }
};

namespace {

void waitForOutputToLeave(int fd, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

OpenFailure openFailureFromErrno(int error) {
    if (error == ENOENT || error == ENODEV || error == ENXIO) {
        return OpenFailure::NoSuchDevice;
    }
    if (error == EACCES || error == EPERM) {
        return OpenFailure::PermissionDenied;
    }
    // EBUSY: another opener set TIOCEXCL; EWOULDBLOCK: another opener holds the lock.
    if (error == EBUSY || error == EWOULDBLOCK) {
        return OpenFailure::InUse;
    }
    return OpenFailure::Other;
}

// Data bits, parity and stop bits as the line settings give them (the tool uses 8-N-1).
tcflag_t frameBits(const LineSettings& line) {
    tcflag_t bits = CS8;
    switch (line.byteSize) {
    case 5:
        bits = CS5;
        break;
    case 6:
        bits = CS6;
        break;
    case 7:
        bits = CS7;
        break;
    default:
        break;
    }
    switch (line.parity) {
    case 1: // odd
        bits |= PARENB | PARODD;
        break;
    case 2: // even
        bits |= PARENB;
        break;
    case 3: // mark
        bits |= PARENB | PARODD | CMSPAR;
        break;
    case 4: // space
        bits |= PARENB | CMSPAR;
        break;
    default:
        break;
    }
    // 1.5 stop bits exist only with 5 data bits, where UARTs give them for CSTOPB.
    if (line.stopBits != 0) {
        bits |= CSTOPB;
    }
    return bits;
}

// A UART's divisor rarely hits a rate exactly; 2% is what a receiver tolerates.
bool rateTaken(std::uint32_t wanted, std::optional<std::uint32_t> actual) {
    if (!actual) {
        return false;
    }
    const std::uint64_t difference = *actual > wanted ? *actual - wanted : wanted - *actual;
    return difference * 50 <= wanted;
}

std::optional<LineErrorCounts> readErrorCounts(int fd) {
    serial_icounter_struct counters{};
    if (::ioctl(fd, TIOCGICOUNT, &counters) != 0) {
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

} // namespace

OverlappedSerialPort::OverlappedSerialPort() = default;

OverlappedSerialPort::~OverlappedSerialPort() {
    closeDevice();
}

bool OverlappedSerialPort::open() {
    if (isOpen()) {
        close();
    }
    return openDevice();
}

void OverlappedSerialPort::close() {
    closeDevice();
}

// Driver queue sizes (8192 bytes each way) have no Linux counterpart: the tty
// layer sizes its own buffers, so nothing is asked for here.
bool OverlappedSerialPort::openDevice() {
    lastOpenFailure_ = OpenFailure::None;
    lastDevicePath_ = resolvePortName(portNumber);
    if (lastDevicePath_.empty()) {
        lastOpenFailure_ = OpenFailure::NoSuchDevice;
        return false;
    }
    const int fd = ::open(lastDevicePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastOpenFailure_ = openFailureFromErrno(errno);
        return false;
    }
    // TIOCEXCL turns away other openers except root; the advisory lock also
    // stops root and every program that checks it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        fail(openFailureFromErrno(errno), fd);
        return false;
    }
    auto saved = std::make_unique<SavedLine>();
    if (::tcgetattr(fd, &saved->settings) != 0) {
        fail(OpenFailure::Other, fd); // not a terminal
        return false;
    }
    saved->rate = kernelBaudRate(fd);
    savedLine_ = std::move(saved);
    if (::ioctl(fd, TIOCEXCL) != 0) {
        fail(OpenFailure::Other, fd);
        return false;
    }
    if (!configure(fd)) {
        return false;
    }
    {
        std::lock_guard lock(errorMutex_);
        lastErrorCounts_ = readErrorCounts(fd).value_or(LineErrorCounts{});
    }
    handle.store(fd, std::memory_order_release);
    return true;
}

bool OverlappedSerialPort::configure(int fd) {
    termios line = savedLine_->settings;
    // Raw: no input or output processing, no local modes, no software flow control.
    line.c_iflag = 0;
    line.c_oflag = 0;
    line.c_lflag = 0;
    // No hardware flow control, modem lines ignored, DTR not raised again on close.
    line.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
    line.c_cflag |= frameBits(dcb) | CLOCAL | CREAD;
    line.c_cc[VMIN] = 1; // the watcher hears of input from the first byte; reads never wait (O_NONBLOCK)
    line.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &line) != 0) {
        fail(OpenFailure::Other, fd);
        return false;
    }
    // Rate 0 would mean "hang up" to the driver.
    if (dcb.baudRate == 0 || !setKernelBaudRate(fd, dcb.baudRate) ||
        !rateTaken(dcb.baudRate, kernelBaudRate(fd))) {
        fail(OpenFailure::RateNotSupported, fd);
        return false;
    }
    // The open itself raised DTR and RTS (the kernel does that); drop them now.
    // A pty has no modem lines and answers ENOTTY or EINVAL, which is fine.
    const int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIC, &lines) != 0 && errno != ENOTTY && errno != EINVAL) {
        fail(OpenFailure::Other, fd);
        return false;
    }
    ::tcflush(fd, TCIOFLUSH);
    return true;
}

void OverlappedSerialPort::fail(OpenFailure failure, int fd) {
    lastOpenFailure_ = failure;
    // Only an opener that got as far as setting TIOCEXCL may clear it.
    if (savedLine_) {
        ::ioctl(fd, TIOCNXCL);
        savedLine_->restore(fd);
        savedLine_.reset();
    }
    ::close(fd);
}

void OverlappedSerialPort::closeDevice() {
    const int fd = handle.exchange(-1, std::memory_order_acq_rel);
    if (fd < 0) {
        return;
    }
    ::ioctl(fd, TIOCNXCL);
    // The last frame gets a moment to leave at our settings; whatever is still queued is
    // dropped, since restored settings (hardware flow control, say) could otherwise hold
    // close() for the driver's closing wait.
    waitForOutputToLeave(fd, std::chrono::milliseconds(200));
    ::tcflush(fd, TCIOFLUSH);
    if (savedLine_) {
        savedLine_->restore(fd);
        savedLine_.reset();
    }
    ::close(fd); // also drops the lock
}

std::optional<std::size_t> OverlappedSerialPort::queuedInput() const {
    const int fd = handle.load(std::memory_order_acquire);
    int count = 0;
    if (fd < 0 || ::ioctl(fd, FIONREAD, &count) != 0 || count < 0) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(count);
}

bool OverlappedSerialPort::takeLineErrors() {
    const int fd = handle.load(std::memory_order_acquire);
    if (fd < 0) {
        return false;
    }
    std::lock_guard lock(errorMutex_);
    const std::optional<LineErrorCounts> counts = readErrorCounts(fd);
    if (!counts || *counts == lastErrorCounts_) {
        return false;
    }
    lastErrorCounts_ = *counts;
    return true;
}

std::size_t OverlappedSerialPort::read(std::span<std::uint8_t> buffer) {
    const int fd = handle.load(std::memory_order_acquire);
    if (fd < 0 || buffer.empty()) {
        return 0;
    }
    for (;;) {
        const ssize_t count = ::read(fd, buffer.data(), buffer.size());
        if (count >= 0) {
            return static_cast<std::size_t>(count);
        }
        if (errno != EINTR) {
            return 0;
        }
    }
}

bool OverlappedSerialPort::writeAll(std::span<const std::uint8_t> bytes) {
    const int fd = handle.load(std::memory_order_acquire);
    if (fd < 0) {
        return false;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeouts.writeTotal;
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
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
        pollfd writable{fd, POLLOUT, 0};
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
    ::tcflush(fd, TCOFLUSH);
    return false;
}

void OverlappedSerialPort::purgeInput() {
    const int fd = handle.load(std::memory_order_acquire);
    if (fd >= 0) {
        ::tcflush(fd, TCIFLUSH);
    }
}

void OverlappedSerialPort::purgeOutput() {
    const int fd = handle.load(std::memory_order_acquire);
    if (fd >= 0) {
        ::tcflush(fd, TCOFLUSH);
    }
}

} // namespace tq37r
