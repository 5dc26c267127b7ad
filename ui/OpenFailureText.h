#pragma once

#include <string>
#include <string_view>

#include "serial/SerialPort.h"

namespace tq37r {

// The plain-words reason shown under "open fail".
std::string openFailureDetail(OpenFailure failure, std::string_view portName, std::string_view devicePath);

// What the port list's tooltip says about a COM name.
std::string portToolTip(std::string_view portName, std::string_view devicePath);

} // namespace tq37r
