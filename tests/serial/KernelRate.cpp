#include "tests/serial/KernelRate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace tq37r::test {

std::optional<std::uint32_t> deviceRate(int fd) {
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0 || settings.c_ispeed != settings.c_ospeed) {
        return std::nullopt;
    }
    return settings.c_ospeed;
}

} // namespace tq37r::test
