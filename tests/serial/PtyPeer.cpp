#include "tests/serial/PtyPeer.h"

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace tq37r::test {

PtyPeer::PtyPeer() {
    char name[128] = {};
    std::string dir = (std::filesystem::temp_directory_path() / "tq37r-serial-XXXXXX").string();
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0 || ::mkdtemp(dir.data()) == nullptr) {
        throw std::runtime_error("no pty or no temporary folder");
    }
    dir_ = dir;
    std::filesystem::create_symlink(name, dir_ / "COM1");
    ::setenv("TQ37R_PORT_DIR", dir_.c_str(), 1);
}

PtyPeer::~PtyPeer() {
    ::unsetenv("TQ37R_PORT_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
    closeMaster();
    ::close(slave_);
}

// A blocking write to the master goes whole unless it fails.
void PtyPeer::write(std::span<const std::uint8_t> bytes) {
    if (::write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        throw std::runtime_error("write to the pty master failed");
    }
}

void PtyPeer::closeMaster() {
    ::close(std::exchange(master_, -1));
}

std::vector<std::uint8_t> PtyPeer::readAvailable() {
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[4096];
    pollfd readable{master_, POLLIN, 0};
    ssize_t count = 0;
    while (::poll(&readable, 1, 200) > 0 && (count = ::read(master_, chunk, sizeof chunk)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
    return bytes;
}

ThreadIds threadIds() {
    ThreadIds ids;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        ids.insert(std::stoul(task.path().filename().string()));
    }
    return ids;
}

} // namespace tq37r::test
