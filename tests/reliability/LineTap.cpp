#include "LineTap.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <span>
#include <stdexcept>
#include <system_error>

#include "protocol/Frame.h"

namespace tq37r::test {

namespace {

int openRaw(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), "open " + path);
    }
    termios settings{};
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
    return fd;
}

// Reads what is there; returns the count, 0 when nothing is waiting, -1 when the other side is gone.
ssize_t readSome(int fd, std::uint8_t* buffer, std::size_t size) {
    const ssize_t n = ::read(fd, buffer, size);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return 0;
    }
    return n <= 0 ? -1 : n;
}

} // namespace

LineTap::LineTap(const std::string& simulatorLine) {
    simulatorFd_ = openRaw(simulatorLine);
    char name[256] = {};
    if (openpty(&toolMaster_, &toolSlave_, name, nullptr, nullptr) != 0) {
        throw std::system_error(errno, std::generic_category(), "openpty");
    }
    toolPath_ = name;
    termios settings{};
    tcgetattr(toolMaster_, &settings);
    cfmakeraw(&settings);
    tcsetattr(toolMaster_, TCSANOW, &settings);
    fcntl(toolMaster_, F_SETFL, O_NONBLOCK);
    stopFd_ = eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { run(); });
}

LineTap::~LineTap() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(stopFd_, &one, sizeof one);
    thread_.join();
    for (int fd : {simulatorFd_, toolMaster_, toolSlave_, stopFd_}) {
        ::close(fd);
    }
}

void LineTap::linkAs(const std::filesystem::path& dir, const std::string& name) const {
    std::filesystem::remove(dir / name);
    std::filesystem::create_symlink(toolPath_, dir / name);
}

void LineTap::startPassing() {
    std::lock_guard lock(mutex_);
    passing_ = true;
}

std::uint64_t LineTap::framesFromSimulator() const {
    std::lock_guard lock(mutex_);
    return framesFromSimulator_;
}

std::uint64_t LineTap::framesToTool(std::uint8_t code) const {
    std::lock_guard lock(mutex_);
    return framesToTool_[code];
}

std::uint64_t LineTap::framesToTool() const {
    std::lock_guard lock(mutex_);
    std::uint64_t total = 0;
    for (std::uint64_t n : framesToTool_) {
        total += n;
    }
    return total;
}

std::optional<LineTap::Clock::time_point> LineTap::requestSeen(std::uint8_t code) const {
    std::lock_guard lock(mutex_);
    return requestSeen_[code];
}

bool LineTap::simulatorGone() const {
    std::lock_guard lock(mutex_);
    return simulatorGone_;
}

std::chrono::nanoseconds LineTap::cpuTime() const {
    clockid_t clock{};
    timespec used{};
    if (pthread_getcpuclockid(const_cast<std::thread&>(thread_).native_handle(), &clock) != 0 ||
        clock_gettime(clock, &used) != 0) {
        return {};
    }
    return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}

bool LineTap::copyFromSimulator() {
    std::uint8_t buffer[4096];
    const ssize_t n = readSome(simulatorFd_, buffer, sizeof buffer);
    if (n <= 0) {
        return n == 0;
    }
    const std::span<const std::uint8_t> bytes{buffer, static_cast<std::size_t>(n)};
    auto onRead = [this](std::span<const std::uint8_t>) {
        std::lock_guard lock(mutex_);
        ++framesFromSimulator_;
    };
    fromSimulator_.feed(bytes, onRead);
    {
        std::lock_guard lock(mutex_);
        if (!passing_) {
            return true;
        }
    }
    // Counted before they are passed on, so the tool can never have decoded more than this.
    auto onPassed = [this](std::span<const std::uint8_t> frameBytes) {
        std::lock_guard lock(mutex_);
        ++framesToTool_[frameBytes[frame::kCodeOffset]];
    };
    toTool_.feed(bytes, onPassed);
    forward(toolMaster_, bytes.data(), bytes.size());
    return true;
}

bool LineTap::copyFromTool() {
    std::uint8_t buffer[4096];
    const ssize_t n = readSome(toolMaster_, buffer, sizeof buffer);
    if (n <= 0) {
        return n == 0;
    }
    auto onRequest = [this](std::span<const std::uint8_t> frameBytes) {
        std::lock_guard lock(mutex_);
        auto& seen = requestSeen_[frameBytes[frame::kCodeOffset]];
        if (!seen) {
            seen = Clock::now();
        }
    };
    fromTool_.feed({buffer, static_cast<std::size_t>(n)}, onRequest);
    forward(simulatorFd_, buffer, static_cast<std::size_t>(n));
    return true;
}

void LineTap::forward(int to, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(to, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd room{to, POLLOUT, 0};
            ::poll(&room, 1, 100);
        } else if (n < 0 && errno != EINTR) {
            return; // the other side is gone; what it would have read is lost with it
        }
    }
}

void LineTap::run() {
    pollfd fds[3] = {{simulatorFd_, POLLIN, 0}, {toolMaster_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 3, -1) < 0) {
            continue;
        }
        if (fds[2].revents != 0) {
            return;
        }
        if (fds[0].revents != 0 && !copyFromSimulator()) {
            fds[0].fd = -1; // the simulator has ended; keep serving the tool's side
            std::lock_guard lock(mutex_);
            simulatorGone_ = true;
        }
        if (fds[1].revents != 0) {
            copyFromTool();
        }
    }
}

} // namespace tq37r::test
