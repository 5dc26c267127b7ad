#include "serial/win32/Win32SerialPort.h"

#include "serial/PortName.h"

#include <algorithm>
#include <string>

#include "serial/win32/Utf16.h"
#include "serial/win32/Win32OpenFailure.h"

namespace tq37r {
namespace {

constexpr DWORD kQueueSize = 8192;
constexpr DWORD kLineErrors = CE_FRAME | CE_RXPARITY | CE_OVERRUN | CE_RXOVER | CE_BREAK;

OpenResult failed(OpenFailure failure, DWORD error) {
    return OpenResult{failure, static_cast<int>(error), {}};
}

bool isComName(std::string_view name) {
    return ComPort::parse(name).has_value();
}

// Ends an overlapped transfer: waits for it up to limit, cancels it past that, and returns the
// bytes it moved.
DWORD finish(HANDLE handle, OVERLAPPED& transfer, BOOL started, DWORD limitMs) {
    DWORD moved = 0;
    if (started) {
        ::GetOverlappedResult(handle, &transfer, &moved, FALSE);
        return moved;
    }
    if (::GetLastError() != ERROR_IO_PENDING) {
        return 0;
    }
    if (::WaitForSingleObject(transfer.hEvent, limitMs) == WAIT_TIMEOUT) {
        ::CancelIoEx(handle, &transfer);
    }
    ::GetOverlappedResult(handle, &transfer, &moved, TRUE);
    return moved;
}

} // namespace

Win32SerialPort::~Win32SerialPort() {
    close();
}

std::string Win32SerialPort::resolve(std::string_view portName) const {
    if (!isComName(portName)) {
        return std::string(portName);
    }
    wchar_t target[MAX_PATH] = {};
    if (::QueryDosDeviceW(toUtf16(portName).c_str(), target, MAX_PATH) == 0) {
        return {};
    }
    return toUtf8(target); // the first of the name's targets
}

OpenResult Win32SerialPort::open(std::string_view portName, const PortSettings& settings) {
    close();
    const std::string path = isComName(portName) ? "\\\\.\\" + std::string(portName) : std::string(portName);
    const HANDLE handle = ::CreateFileW(toUtf16(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    OpenResult result;
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        result = failed(openFailureFromWin32Error(error), error);
    } else {
        handle_ = handle;
        result = setUp(settings);
        if (!result) {
            close();
        }
    }
    result.devicePath = resolve(portName);
    return result;
}

OpenResult Win32SerialPort::setUp(const PortSettings& settings) {
    if (!::SetupComm(handle_, kQueueSize, kQueueSize)) {
        return failed(OpenFailure::Other, ::GetLastError());
    }
    DCB line{};
    line.DCBlength = sizeof line;
    if (!::GetCommState(handle_, &line)) {
        return failed(OpenFailure::Other, ::GetLastError()); // not a communications device
    }
    if (settings.baudRate == 0) {
        return failed(OpenFailure::RateNotSupported, 0);
    }
    line.BaudRate = settings.baudRate;
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    line.fBinary = TRUE;
    line.fParity = FALSE;
    line.fOutxCtsFlow = FALSE;
    line.fOutxDsrFlow = FALSE;
    line.fDtrControl = DTR_CONTROL_DISABLE;
    line.fDsrSensitivity = FALSE;
    line.fTXContinueOnXoff = TRUE;
    line.fOutX = FALSE;
    line.fInX = FALSE;
    line.fErrorChar = FALSE;
    line.fNull = FALSE;
    line.fRtsControl = RTS_CONTROL_DISABLE;
    line.fAbortOnError = FALSE;
    // A driver refuses a rate its hardware cannot make here; the rate is not read back, since
    // some (Wine's among them) report a nearby standard rate for one they do run.
    if (!::SetCommState(handle_, &line)) {
        const DWORD error = ::GetLastError();
        return failed(error == ERROR_INVALID_PARAMETER ? OpenFailure::RateNotSupported : OpenFailure::Other,
                      error);
    }
    // Reads return at once with what is queued; a write gives up after the whole timeout.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(settings.writeTimeout.count());
    if (!::SetCommTimeouts(handle_, &timeouts) || !::SetCommMask(handle_, EV_RXCHAR)) {
        return failed(OpenFailure::Other, ::GetLastError());
    }
    ::PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
    queuedInputOf(handle_, lineErrors_);
    lineErrors_.store(0); // errors of an earlier user of the line are not this open's
    writeTimeout_ = settings.writeTimeout;
    notifier_.reset();
    if (const DWORD error = watcher_.start(handle_, notifier_, lineErrors_); error != 0) {
        return failed(OpenFailure::Other, error);
    }
    return {};
}

void Win32SerialPort::close() {
    if (handle_ == INVALID_HANDLE_VALUE) {
        return;
    }
    watcher_.stop();
    ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

bool Win32SerialPort::write(std::span<const std::uint8_t> bytes) {
    if (handle_ == INVALID_HANDLE_VALUE) {
        return false;
    }
    if (bytes.empty()) {
        return true;
    }
    OVERLAPPED transfer{};
    transfer.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (transfer.hEvent == nullptr) {
        return false;
    }
    const DWORD size = static_cast<DWORD>(bytes.size());
    const BOOL started = ::WriteFile(handle_, bytes.data(), size, nullptr, &transfer);
    // The driver ends the write at the total timeout; the extra second bounds one that does not.
    const DWORD written =
        finish(handle_, transfer, started, static_cast<DWORD>(writeTimeout_.count()) + 1000);
    ::CloseHandle(transfer.hEvent);
    if (written == size) {
        return true;
    }
    // Timed out: what is still queued would go out late, mixed with the next frame.
    purgeOutput();
    return false;
}

std::size_t Win32SerialPort::read(std::span<std::uint8_t> buffer) {
    if (handle_ == INVALID_HANDLE_VALUE || buffer.empty()) {
        return 0;
    }
    OVERLAPPED transfer{};
    transfer.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (transfer.hEvent == nullptr) {
        return 0;
    }
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), MAXDWORD));
    const BOOL started = ::ReadFile(handle_, buffer.data(), size, nullptr, &transfer);
    // The timeouts make a read return at once; one that waits anyway is not waited for long.
    const DWORD got = finish(handle_, transfer, started, 100);
    ::CloseHandle(transfer.hEvent);
    return got;
}

std::optional<std::size_t> Win32SerialPort::queuedInput() const {
    if (handle_ == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    return queuedInputOf(handle_, lineErrors_);
}

bool Win32SerialPort::takeLineErrors() {
    if (handle_ == INVALID_HANDLE_VALUE) {
        return false;
    }
    queuedInputOf(handle_, lineErrors_);
    return (lineErrors_.exchange(0) & kLineErrors) != 0;
}

void Win32SerialPort::purgeInput() {
    if (handle_ != INVALID_HANDLE_VALUE) {
        ::PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR);
    }
}

void Win32SerialPort::purgeOutput() {
    if (handle_ != INVALID_HANDLE_VALUE) {
        ::PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
    }
}

void Win32SerialPort::setNotifySink(SerialEventSink* sink, std::uint32_t tag) {
    notifier_.setSink(sink, tag);
    watcher_.wake();
}

void Win32SerialPort::rxDrained() {
    notifier_.drained();
    watcher_.wake();
}

} // namespace tq37r
