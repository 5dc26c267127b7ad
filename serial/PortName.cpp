#include "serial/PortName.h"

#include <algorithm>
#include <charconv>

namespace tq37r {

std::optional<ComPort> ComPort::parse(std::string_view name) {
    constexpr std::string_view kPrefix = "COM";
    if (!name.starts_with(kPrefix) || name.size() == kPrefix.size() ||
        !std::all_of(name.begin() + kPrefix.size(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int number = 0;
    if (std::from_chars(name.data() + kPrefix.size(), name.data() + name.size(), number).ec != std::errc{}) {
        number = 0;
    }
    return ComPort(number);
}

std::optional<ComPort> ComPort::ofListIndex(int index) {
    if (index < 0 || index >= kListedPorts) {
        return std::nullopt;
    }
    return ComPort(index + 1);
}

std::vector<ComPort> ComPort::listed() {
    std::vector<ComPort> ports;
    for (int n = 1; n <= kListedPorts; ++n) {
        ports.push_back(ComPort(n));
    }
    return ports;
}

} // namespace tq37r
