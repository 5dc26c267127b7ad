#pragma once

#include <unistd.h>

#include <filesystem>
#include <set>
#include <span>
#include <utility>
#include <vector>

#include "serial/posix/PosixSerialPort.h"
#include "tests/support/SerialEvents.h"

namespace tq37r::test {

// The far end of a port under test: a pseudo-terminal whose slave is reachable as COM1
// through $TQ37R_PORT_DIR, so no test ever touches a real port.
class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    // The peer's own descriptor of the device the port opens, opened before the port.
    int slave() const { return slave_; }
    const std::filesystem::path& portDir() const { return dir_; }

    void write(std::span<const std::uint8_t> bytes);
    // Everything that arrives until nothing more comes for 200 ms.
    std::vector<std::uint8_t> readAvailable();
    void closeMaster() { ::close(std::exchange(master_, -1)); }

private:
    int master_ = -1;
    int slave_ = -1;
    std::filesystem::path dir_;
};

// The port the suites run against, on this platform.
using PlatformSerialPort = PosixSerialPort;

// The ids of this process's threads.
using ThreadIds = std::set<unsigned long>;
ThreadIds threadIds();

} // namespace tq37r::test
