#include "core/FileErrorText.h"

#include <windows.h>

namespace tq37r {

std::string fileErrorText(int osError) {
    const auto error = static_cast<DWORD>(osError);
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "the disk is full";
    case ERROR_ACCESS_DENIED:
        return "permission denied";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return "another program has the file open";
    case ERROR_WRITE_PROTECT:
        return "the disk is read-only";
    case ERROR_PATH_NOT_FOUND:
        return "its folder does not exist";
    default:
        return "Windows error " + std::to_string(error);
    }
}

} // namespace tq37r
