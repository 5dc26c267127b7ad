#pragma once

#include <filesystem>
#include <string>

namespace tq37r::sim {

// $TQ37R_PORT_DIR/<name> pointing at the simulated line while this object lives.
class PortLink {
public:
    // Creates the folder when needed and locks $TQ37R_PORT_DIR/.<name>.lock for this object's life.
    // The kernel drops that lock however the process ends, so once it is taken any link of that
    // name is stale (left by a simulator that was killed) and is replaced. Throws
    // std::runtime_error when another simulator holds the lock or something other than a link
    // has the name.
    PortLink(const std::filesystem::path& directory, const std::string& name, const std::string& target);
    // Removes the link, unless something else has taken its place meanwhile, then unlocks.
    ~PortLink();
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    const std::filesystem::path& path() const { return link_; }

private:
    void replaceLink(const std::string& name);

    std::filesystem::path link_;
    std::string target_;
    int lock_ = -1;
};

} // namespace tq37r::sim
