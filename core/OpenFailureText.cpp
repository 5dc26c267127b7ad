#include "core/OpenFailureText.h"

namespace tq37r {

std::string openFailureDetail(OpenFailure failure, std::string_view portName, std::string_view devicePath) {
    switch (failure) {
    case OpenFailure::NoSuchDevice:
        return "No such device (" + std::string(portName) + " is " +
               (devicePath.empty() ? std::string("not present") : std::string(devicePath)) + ")";
    case OpenFailure::PermissionDenied:
        return "Permission denied: add yourself to the dialout group";
    case OpenFailure::InUse:
        return "In use by another program";
    case OpenFailure::RateNotSupported:
        return "Rate not supported";
    case OpenFailure::None:
    case OpenFailure::Other:
        break;
    }
    return devicePath.empty() ? std::string("The port could not be opened")
                              : "The port could not be opened (" + std::string(devicePath) + ")";
}

std::string portToolTip(std::string_view portName, std::string_view devicePath) {
    if (devicePath.empty()) {
        return std::string(portName) + " is not present on this machine";
    }
    return std::string(portName) + " is " + std::string(devicePath);
}

std::string typedPortToolTip(std::string_view typedText) {
    std::string tip = "\"";
    tip += typedText; // appended apart: GCC 12 misreads the joined form as overlapping
    return tip + "\" is typed text: only a name picked from the list can be opened";
}

} // namespace tq37r
