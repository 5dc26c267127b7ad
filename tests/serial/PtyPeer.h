#pragma once

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "serial/SerialPort.h"

namespace tq37r::test {

// The far end of a port under test: a pseudo-terminal whose slave is reachable as COMn
// through $TQ37R_PORT_DIR, so no test ever touches a real port.
class PtyPeer {
public:
    explicit PtyPeer(int portNumber = 1);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    // The peer's own descriptor of the device the port opens, opened before the port.
    int slave() const { return slave_; }
    const std::filesystem::path& portDir() const { return dir_; }

    void write(std::span<const std::uint8_t> bytes);
    // Everything that arrives until nothing more comes for 200 ms.
    std::vector<std::uint8_t> readAvailable();
    void closeMaster() { ::close(std::exchange(master_, -1)); }
    // Opens the slave anew as a program without CAP_SYS_ADMIN would (root passes TIOCEXCL):
    // 0 when it opened, else its errno; -1 when the capability could not be dropped.
    int openWithoutAdmin() const;

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::filesystem::path dir_;
};

// Stands in for the window's message queue: the watcher posts, the test takes.
class EventQueue : public SerialEventSink {
public:
    void postSerialEvent(SerialEvent event, std::uint32_t) override {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
        posted_.notify_all();
    }
    // The next event posted, waiting up to timeout for it.
    std::optional<SerialEvent> take(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        if (!posted_.wait_for(lock, timeout, [this] { return !events_.empty(); })) {
            return std::nullopt;
        }
        const SerialEvent event = events_.front();
        events_.pop_front();
        return event;
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<SerialEvent> events_;
};

// Polls condition until it holds or a generous limit passes; whether it held.
bool eventually(const std::function<bool()>& condition);

} // namespace tq37r::test
