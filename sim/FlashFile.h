#pragma once

#include <filesystem>
#include <optional>
#include <string>

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

    // What keeps a save from reaching path, naming it; empty when nothing does. The file must be
    // a regular file that may be read and written, or not exist yet, and its folder must exist
    // and take the temporary file a save writes.
    static std::string unusable(const std::filesystem::path& path);

private:
    std::filesystem::path path_;
};

} // namespace tq37r::sim
