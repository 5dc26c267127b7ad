#pragma once

#include <filesystem>
#include <string>

namespace tq37r::sim {

// $TQ37R_PORT_DIR/<name> pointing at the simulated line while this object lives.
class PortLink {
public:
    // Creates the folder when needed. Replaces a link whose target is gone (left by a
    // simulator that was killed); refuses, with std::runtime_error, anything else in the way.
    PortLink(const std::filesystem::path& directory, const std::string& name, const std::string& target);
    // Removes the link, unless something else has taken its place meanwhile.
    ~PortLink();
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    const std::filesystem::path& path() const { return link_; }

private:
    std::filesystem::path link_;
    std::string target_;
};

} // namespace tq37r::sim
