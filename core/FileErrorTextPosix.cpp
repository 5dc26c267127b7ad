#include "core/FileErrorText.h"

#include <cerrno>
#include <cstring>

namespace tq37r {

std::string fileErrorText(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return "the disk is full";
    case EFBIG:
        return "the file would be larger than this system allows";
    case EACCES:
    case EPERM:
        return "permission denied";
    case EROFS:
        return "the disk is read-only";
    case ENOENT:
        return "its folder does not exist";
    case ENOTDIR:
        return "a part of its path is not a folder";
    default:
        return std::strerror(error);
    }
}

} // namespace tq37r
