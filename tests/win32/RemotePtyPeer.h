#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "serial/win32/Win32SerialPort.h"
#include "tests/support/SerialEvents.h"

namespace tq37r::test {

// The far end of a port under test, for a test program under Wine: a pty made and driven by
// pty-peer.py (over a loopback connection it names in TQ37R_PEER), whose slave Wine maps as
// COMn. No test ever touches a real port.
class PtyPeer {
public:
    explicit PtyPeer(int portNumber = 1);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    void write(std::span<const std::uint8_t> bytes);
    // Everything that arrives until nothing more comes for 200 ms.
    std::vector<std::uint8_t> readAvailable();
    // The adapter goes away.
    void closeMaster();
    // The line as the port set it up, e.g. "19200 8N1 rtscts=0 xonxoff=0".
    std::string line();

private:
    // Sends one command and returns the text after "OK"; throws on anything else.
    std::string request(const std::string& command);

    std::uintptr_t socket_ =
        ~std::uintptr_t{0}; // a SOCKET; winsock2.h must come before windows.h, so it stays in the .cpp
    std::string pending_;   // received past the last answer's newline
};

// The port the suites run against, on this platform.
using PlatformSerialPort = Win32SerialPort;

} // namespace tq37r::test
