#pragma once

#include <string>

namespace tq37r {

// The device "COMn" stands for: $TQ37R_PORT_DIR/COMn when that variable is set
// (and only there); else /dev/COMn when it exists; else the n-th serial device
// present, counting /dev/ttyUSB*, then /dev/ttyACM*, then the real /dev/ttyS*.
// Empty when there is no such device.
std::string resolvePortName(int portNumber);

} // namespace tq37r
