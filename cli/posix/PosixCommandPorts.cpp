#include "cli/posix/PosixCommandPorts.h"

#include <memory>

namespace tq37r::cli {

std::string_view PosixCommandPorts::portNaming() const {
    return "COM names stand for, in this order: $TQ37R_PORT_DIR/COMn when TQ37R_PORT_DIR is set; /dev/COMn "
           "when it\nexists; else the n-th serial device present (ttyUSB, then ttyACM, then real ttyS). Any "
           "other --port is a\ndevice path.";
}

ControllerSearch::PortMaker PosixCommandPorts::portMaker() {
    return [this] { return std::make_unique<PosixSerialPort>(poll_.watcher()); };
}

LineWait& PosixCommandPorts::lineWait(bool stoppable) {
    if (stoppable) {
        stopSignals_.emplace();
    }
    return events_.emplace(poll_, stopSignals_ ? &*stopSignals_ : nullptr);
}

} // namespace tq37r::cli
