#pragma once

#include <string>
#include <string_view>

#include "serial/SerialPort.h"

namespace tq37r {

// The plain-words reason shown under "open fail".
std::string openFailureDetail(OpenFailure failure, std::string_view portName, std::string_view devicePath);

// What the port list's tooltip says about a COM name.
std::string portToolTip(std::string_view portName, std::string_view devicePath);
// What it says about text typed into the list, which Open refuses.
std::string typedPortToolTip(std::string_view typedText);

} // namespace tq37r
