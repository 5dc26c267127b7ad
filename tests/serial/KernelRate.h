#pragma once

#include <cstdint>
#include <optional>

namespace tq37r::test {

// Output rate of the device as the kernel holds it (TCGETS2), read independently of the port code.
std::optional<std::uint32_t> deviceRate(int fd);

} // namespace tq37r::test
