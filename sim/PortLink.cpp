#include "sim/PortLink.h"

#include <stdexcept>
#include <system_error>

namespace tq37r::sim {

namespace fs = std::filesystem;

PortLink::PortLink(const fs::path& directory, const std::string& name, const std::string& target)
    : link_(directory / name), target_(target) {
    fs::create_directories(directory);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(link_, ec);
    if (fs::exists(status)) {
        if (!fs::is_symlink(status) || fs::exists(link_, ec)) {
            throw std::runtime_error(link_.string() + " is in use (another simulator or a real device)");
        }
        fs::remove(link_);
    }
    fs::create_symlink(target_, link_);
}

PortLink::~PortLink() {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(link_, ec)) && fs::read_symlink(link_, ec) == target_) {
        fs::remove(link_, ec);
    }
}

} // namespace tq37r::sim
