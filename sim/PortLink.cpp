#include "sim/PortLink.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace tq37r::sim {

namespace fs = std::filesystem;

PortLink::PortLink(const fs::path& directory, const std::string& name, const std::string& target)
    : link_(directory / name), target_(target) {
    fs::create_directories(directory);
    // The lock file is never removed: a simulator that locked a removed file and one that made a
    // new file of the same name would both believe they hold the name. Read-only is enough for
    // flock, and lets another user's simulator lock the same file.
    const fs::path lockPath = directory / ("." + name + ".lock");
    lock_ = ::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    if (lock_ < 0) {
        throw std::system_error(errno, std::generic_category(), lockPath.string());
    }
    try {
        if (::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK) {
                throw std::runtime_error(link_.string() + " is in use by another simulator");
            }
            throw std::system_error(errno, std::generic_category(), lockPath.string());
        }
        replaceLink(name);
    } catch (...) {
        ::close(lock_);
        throw;
    }
}

void PortLink::replaceLink(const std::string& name) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(link_, ec);
    if (fs::is_symlink(status)) {
        std::fprintf(stderr, "tq37r-sim: replacing stale link %s -> %s\n", name.c_str(),
                     fs::read_symlink(link_, ec).c_str());
        fs::remove(link_);
    } else if (fs::exists(status)) {
        throw std::runtime_error(link_.string() + " is in use (not a link: perhaps a real device)");
    }
    fs::create_symlink(target_, link_);
}

PortLink::~PortLink() {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(link_, ec)) && fs::read_symlink(link_, ec) == target_) {
        fs::remove(link_, ec);
    }
    ::close(lock_); // only now may another simulator take the name
}

} // namespace tq37r::sim
