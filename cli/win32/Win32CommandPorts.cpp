#include "cli/win32/Win32CommandPorts.h"

#include <memory>

#include "cli/win32/ConsoleStop.h"

namespace tq37r::cli {

Win32CommandPorts::Win32CommandPorts() {
    endOnConsoleStop();
}

std::string_view Win32CommandPorts::portNaming() const {
    return "COM names are the Windows ports of those names, as the Device Manager lists them, opened as "
           "\\\\.\\COMn,\nwhich reaches COM10 and up as well. Any other --port is a device path.";
}

ControllerSearch::PortMaker Win32CommandPorts::portMaker() {
    return [] { return std::make_unique<Win32SerialPort>(); };
}

LineWait& Win32CommandPorts::lineWait(bool stoppable) {
    return events_.emplace(stoppable ? catchConsoleStops() : nullptr);
}

} // namespace tq37r::cli
