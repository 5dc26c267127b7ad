#pragma once

#include <cstdint>
#include <optional>

namespace tq37r {

// Baud rates through the kernel's termios2 interface, which takes any rate
// (56000 and 14400 have no classic B-constant). Kept apart because the kernel's
// termios declarations clash with <termios.h>.

// Sets input and output to rate; rates with a classic constant keep it. False when the ioctl fails.
bool setKernelBaudRate(int fd, std::uint32_t rate);

// The rate the device now runs at, as the driver reports it; nullopt when the
// query fails or input and output differ.
std::optional<std::uint32_t> kernelBaudRate(int fd);

} // namespace tq37r
