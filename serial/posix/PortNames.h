#pragma once

#include <filesystem>
#include <string>

namespace tq37r {

// The device "COMn" stands for: $TQ37R_PORT_DIR/COMn when that variable is set
// (and only there); else /dev/COMn when it exists; else the n-th serial device
// present, counting /dev/ttyUSB*, then /dev/ttyACM*, then the real /dev/ttyS*.
// Empty when there is no such device.
std::string resolvePortName(int portNumber);

// Where the machine's devices are looked up; a test points these at a made-up tree.
struct DeviceRoots {
    std::filesystem::path dev = "/dev";
    std::filesystem::path sysTty = "/sys/class/tty";
};

// The same lookup without the environment variable, under the given roots.
std::string resolvePortName(int portNumber, const DeviceRoots& roots);

} // namespace tq37r
