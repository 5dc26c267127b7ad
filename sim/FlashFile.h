#pragma once

#include <filesystem>
#include <optional>

#include "sim/ControllerSettings.h"

namespace tq37r::sim {

// The controller's flash kept in a small binary file, so saved settings
// survive a restart of the simulator.
class FlashFile {
public:
    explicit FlashFile(std::filesystem::path path) : path_(std::move(path)) {}

    // nullopt when the file does not exist; throws std::runtime_error when it
    // exists but cannot be read or is not a flash image, so a damaged file is
    // never silently replaced by defaults.
    std::optional<ControllerSettings> load() const;
    // Writes a temporary file and renames it over the old one; false on any error.
    bool store(const ControllerSettings& settings) const;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace tq37r::sim
