#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "tests/support/SerialEvents.h"
#ifdef _WIN32
#include "serial/win32/Win32SerialPort.h"
#else
#include "serial/posix/PosixSerialPort.h"
#endif

namespace tq37r::test {

// The far end of a port under test, reachable as COM1, so no test ever touches a real port. On
// Linux a pseudo-terminal whose slave $TQ37R_PORT_DIR/COM1 points at; under Wine, which cannot
// make one, a pty made and driven by pty-peer.py (over the loopback connection it names in
// TQ37R_PEER), whose slave Wine maps as COM1.
class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    void write(std::span<const std::uint8_t> bytes);
    // Everything that arrives until nothing more comes for 200 ms.
    std::vector<std::uint8_t> readAvailable();
    // The adapter goes away.
    void closeMaster();

#ifdef _WIN32
    // The line as the port set it up, e.g. "19200 8N1 rtscts=0 xonxoff=0".
    std::string line() {
        return request("LINE");
    }

private:
    // Sends one command and returns the text after "OK"; throws on anything else.
    std::string request(const std::string& command);

    std::uintptr_t socket_; // a SOCKET: winsock2.h must come before windows.h, so it stays in the .cpp
    std::string pending_;   // received past the last answer's newline
#else
    // The peer's own descriptor of the device the port opens, opened before the port.
    int slave() const {
        return slave_;
    }
    const std::filesystem::path& portDir() const {
        return dir_;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::filesystem::path dir_;
#endif
};

// The port the suites run against, on this platform.
#ifdef _WIN32
using PlatformSerialPort = Win32SerialPort;
#else
using PlatformSerialPort = PosixSerialPort;
#endif

// The ids of this process's threads.
using ThreadIds = std::set<unsigned long>;
ThreadIds threadIds();

} // namespace tq37r::test
