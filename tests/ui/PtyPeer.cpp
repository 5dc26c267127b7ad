#include "PtyPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>
#include <system_error>

namespace tq37r::test {

PtyPeer::PtyPeer() {
    char name[256] = {};
    if (openpty(&masterFd_, &slaveFd_, name, nullptr, nullptr) != 0) {
        throw std::system_error(errno, std::generic_category(), "openpty");
    }
    slavePath_ = name;
    termios settings{};
    tcgetattr(masterFd_, &settings);
    cfmakeraw(&settings);
    tcsetattr(masterFd_, TCSANOW, &settings);
    stopFd_ = eventfd(0, EFD_CLOEXEC);
    reader_ = std::thread([this] { readLoop(); });
}

PtyPeer::~PtyPeer() {
    hangUp();
    close(slaveFd_);
    close(stopFd_);
}

void PtyPeer::linkAs(const std::filesystem::path& dir, const std::string& name) const {
    std::filesystem::remove(dir / name);
    std::filesystem::create_symlink(slavePath_, dir / name);
}

void PtyPeer::write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(masterFd_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            throw std::system_error(errno, std::generic_category(), "write to pty master");
        }
        done += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> PtyPeer::take(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, timeout, [&] { return bytes_.size() - takenCount_ >= count; });
    std::vector<std::uint8_t> result(bytes_.begin() + static_cast<std::ptrdiff_t>(takenCount_), bytes_.end());
    takenTimes_.insert(takenTimes_.end(), times_.begin() + static_cast<std::ptrdiff_t>(takenCount_),
                       times_.end());
    takenCount_ = bytes_.size();
    return result;
}

void PtyPeer::hangUp() {
    if (!reader_.joinable()) {
        return;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(stopFd_, &one, sizeof one);
    reader_.join();
    close(masterFd_);
    masterFd_ = -1;
}

void PtyPeer::readLoop() {
    pollfd fds[2] = {{masterFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            continue;
        }
        if (fds[1].revents != 0) {
            return;
        }
        std::uint8_t chunk[512];
        const ssize_t n = read(masterFd_, chunk, sizeof chunk);
        if (n <= 0) {
            continue;
        }
        const auto now = Clock::now();
        {
            std::lock_guard lock(mutex_);
            bytes_.insert(bytes_.end(), chunk, chunk + n);
            times_.insert(times_.end(), static_cast<std::size_t>(n), now);
        }
        arrived_.notify_all();
    }
}

} // namespace tq37r::test
