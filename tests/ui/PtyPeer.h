#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace tq37r::test {

// The far end of a pseudo-terminal, standing where the controller would: the tool opens
// the slave (through a COMn link), the peer reads what it writes and writes replies.
// A reader thread stamps every byte with its arrival time.
class PtyPeer {
public:
    using Clock = std::chrono::steady_clock;

    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    // The slave, kept open so the peer can look at the line settings the tool applied.
    int slaveFd() const { return slaveFd_; }
    // Makes dir/name a symbolic link to the slave, replacing any earlier link.
    void linkAs(const std::filesystem::path& dir, const std::string& name) const;

    void write(std::span<const std::uint8_t> bytes);
    // Waits until at least count bytes have arrived (or the timeout passes) and takes what is there.
    std::vector<std::uint8_t> take(std::size_t count, std::chrono::milliseconds timeout);
    // The arrival time of every byte taken so far, in order.
    const std::vector<Clock::time_point>& takenTimes() const { return takenTimes_; }

    // The adapter vanishes: stops reading and closes the master side.
    void hangUp();

private:
    void readLoop();

    int masterFd_ = -1;
    int slaveFd_ = -1;
    int stopFd_ = -1;
    std::string slavePath_;
    std::thread reader_;

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::uint8_t> bytes_;
    std::vector<Clock::time_point> times_;
    std::size_t takenCount_ = 0;
    std::vector<Clock::time_point> takenTimes_;
};

} // namespace tq37r::test
