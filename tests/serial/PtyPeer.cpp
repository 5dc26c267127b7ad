#include "tests/serial/PtyPeer.h"

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace tq37r::test {

PtyPeer::PtyPeer(int portNumber) {
    char name[128] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    slavePath_ = name;
    termios raw{};
    ::tcgetattr(master_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(master_, TCSANOW, &raw);

    std::string pattern = (std::filesystem::temp_directory_path() / "tq37r-serial-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    dir_ = pattern;
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

void PtyPeer::write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno != EINTR) {
            throw std::runtime_error("write to the pty master failed");
        }
        done += count > 0 ? static_cast<std::size_t>(count) : 0;
    }
}

std::vector<std::uint8_t> PtyPeer::readAvailable(std::chrono::milliseconds quiet) {
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[4096];
    for (;;) {
        pollfd readable{master_, POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(quiet.count())) <= 0 || (readable.revents & POLLIN) == 0) {
            return bytes;
        }
        const ssize_t count = ::read(master_, chunk, sizeof chunk);
        if (count <= 0) {
            return bytes;
        }
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
}

void PtyPeer::closeMaster() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

} // namespace tq37r::test
