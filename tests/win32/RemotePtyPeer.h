#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "serial/win32/Win32SerialPort.h"
#include "tests/support/SerialEvents.h"

namespace tq37r::test {

// The far end of a port under test, for a test program under Wine: a pty made and driven by
// pty-peer.py (over a loopback connection it names in TQ37R_PEER), whose slave Wine maps as
// COM1. No test ever touches a real port.
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
    void closeMaster() { request("HANGUP"); }
    // The line as the port set it up, e.g. "19200 8N1 rtscts=0 xonxoff=0".
    std::string line() { return request("LINE"); }

private:
    // Sends one command and returns the text after "OK"; throws on anything else.
    std::string request(const std::string& command);

    std::uintptr_t socket_; // a SOCKET: winsock2.h must come before windows.h, so it stays in the .cpp
    std::string pending_;   // received past the last answer's newline
};

// The port the suites run against, on this platform.
using PlatformSerialPort = Win32SerialPort;

// The ids of this process's threads.
using ThreadIds = std::set<unsigned long>;
ThreadIds threadIds();

} // namespace tq37r::test
