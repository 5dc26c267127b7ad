#pragma once

#include "serial/SerialPort.h"

namespace tq37r {

// The cause of a failed open, from the GetLastError() of CreateFile or of the first call that
// set the port up. A communications port cannot be shared: another holder makes CreateFile
// answer ERROR_ACCESS_DENIED, so that means "in use" here.
OpenFailure openFailureFromWin32Error(unsigned long error);

} // namespace tq37r
