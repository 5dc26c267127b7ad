#include "serial/win32/Win32OpenFailure.h"

#include <windows.h>

namespace tq37r {

OpenFailure openFailureFromWin32Error(unsigned long error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_INVALID_NAME:
        return OpenFailure::NoSuchDevice;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return OpenFailure::InUse;
    default:
        return OpenFailure::Other;
    }
}

} // namespace tq37r
