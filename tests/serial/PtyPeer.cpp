#include "tests/serial/PtyPeer.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <pty.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace tq37r::test {

PtyPeer::PtyPeer(int portNumber) {
    char name[128] = {};
    std::string dir = (std::filesystem::temp_directory_path() / "tq37r-serial-XXXXXX").string();
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0 || ::mkdtemp(dir.data()) == nullptr) {
        throw std::runtime_error("no pty or no temporary folder");
    }
    slavePath_ = name;
    dir_ = dir;
    std::filesystem::create_symlink(slavePath_, dir_ / ("COM" + std::to_string(portNumber)));
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

int PtyPeer::openWithoutAdmin() const {
    int result = -1;
    // Capabilities belong to a thread: this one drops its own and ends.
    std::thread([&] {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3] = {};
        if (::syscall(SYS_capget, &header, caps) != 0) {
            return;
        }
        caps[CAP_TO_INDEX(CAP_SYS_ADMIN)].effective &= ~CAP_TO_MASK(CAP_SYS_ADMIN);
        if (::syscall(SYS_capset, &header, caps) != 0) {
            return;
        }
        const int fd = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        result = fd < 0 ? errno : 0;
        if (fd >= 0) {
            ::close(fd);
        }
    }).join();
    return result;
}

} // namespace tq37r::test
