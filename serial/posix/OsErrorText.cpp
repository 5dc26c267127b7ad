#include "serial/OsErrorText.h"

#include <cstring>

namespace tq37r {

std::string osErrorText(int osError) {
    return std::strerror(osError);
}

} // namespace tq37r
