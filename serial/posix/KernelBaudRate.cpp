#include "serial/posix/KernelBaudRate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <array>
#include <utility>

namespace tq37r {

namespace {

// Classic constants, so that programs reading the line with plain termios
// afterwards still see a rate they understand.
constexpr std::array<std::pair<std::uint32_t, unsigned>, 18> kClassicRates{{
    {1200, B1200},
    {1800, B1800},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
    {230400, B230400},
    {460800, B460800},
    {500000, B500000},
    {576000, B576000},
    {921600, B921600},
    {1000000, B1000000},
    {1152000, B1152000},
    {1500000, B1500000},
    {2000000, B2000000},
}};

unsigned rateCode(std::uint32_t rate) {
    for (const auto& [value, code] : kClassicRates) {
        if (value == rate) {
            return code;
        }
    }
    return BOTHER;
}

} // namespace

bool setKernelBaudRate(int fd, std::uint32_t rate) {
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0) {
        return false;
    }
    // Input baud bits cleared: input follows output.
    settings.c_cflag &= ~(CBAUD | CIBAUD);
    settings.c_cflag |= rateCode(rate);
    settings.c_ispeed = rate;
    settings.c_ospeed = rate;
    return ::ioctl(fd, TCSETS2, &settings) == 0;
}

std::optional<std::uint32_t> kernelBaudRate(int fd) {
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0 || settings.c_ispeed != settings.c_ospeed) {
        return std::nullopt;
    }
    return settings.c_ospeed;
}

} // namespace tq37r
