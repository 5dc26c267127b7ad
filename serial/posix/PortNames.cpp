#include "serial/posix/PortNames.h"

#include "serial/PortName.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

namespace tq37r {

namespace {

namespace fs = std::filesystem;

// Follows symlinks: a link to a vanished device does not count.
bool isPresent(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// The number after prefix when name is prefix followed by decimal digits only.
std::optional<unsigned> deviceIndex(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix) || name.size() == prefix.size()) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(prefix.size());
    unsigned index = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (error != std::errc{} || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return index;
}

// Every machine lists ttyS0..ttySn whether or not a UART sits behind them. The
// serial core publishes the UART type in sysfs (0 is "unknown": nothing there),
// which tells without opening the device; other drivers show only a device link.
bool isRealUart(const DeviceRoots& roots, const std::string& name) {
    const fs::path sysEntry = roots.sysTty / name;
    std::ifstream typeFile(sysEntry / "type");
    int type = 0;
    if (typeFile >> type) {
        return type != 0;
    }
    return isPresent(sysEntry / "device");
}

std::vector<std::string> presentDevices(const DeviceRoots& roots) {
    constexpr std::array<std::string_view, 3> kGroups{"ttyUSB", "ttyACM", "ttyS"};
    std::array<std::vector<std::pair<unsigned, std::string>>, kGroups.size()> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(roots.dev, error)) {
        const std::string name = entry.path().filename().string();
        for (std::size_t group = 0; group < kGroups.size(); ++group) {
            if (const auto index = deviceIndex(name, kGroups[group])) {
                found[group].emplace_back(*index, name);
            }
        }
    }
    std::vector<std::string> devices;
    for (std::size_t group = 0; group < kGroups.size(); ++group) {
        std::sort(found[group].begin(), found[group].end());
        for (const auto& [index, name] : found[group]) {
            if (kGroups[group] != "ttyS" || isRealUart(roots, name)) {
                devices.push_back((roots.dev / name).string());
            }
        }
    }
    return devices;
}

} // namespace

std::string resolvePortName(int portNumber) {
    if (const char* dir = std::getenv("TQ37R_PORT_DIR"); dir != nullptr && *dir != '\0') {
        if (portNumber < 1) {
            return {};
        }
        const fs::path path = fs::path(dir) / ComPort(portNumber).name();
        return isPresent(path) ? path.string() : std::string{};
    }
    return resolvePortName(portNumber, DeviceRoots{});
}

std::string resolvePortName(int portNumber, const DeviceRoots& roots) {
    if (portNumber < 1) {
        return {};
    }
    if (const fs::path named = roots.dev / ComPort(portNumber).name(); isPresent(named)) {
        return named.string();
    }
    const std::vector<std::string> devices = presentDevices(roots);
    const auto index = static_cast<std::size_t>(portNumber - 1);
    return index < devices.size() ? devices[index] : std::string{};
}

} // namespace tq37r
