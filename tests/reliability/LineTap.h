#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "protocol/FrameReceiver.h"

namespace tq37r::test {

// Sits on the line between the simulator and the tool, like a line analyser: the tool
// opens a pty of the tap's own, the tap opens the simulator's, and a thread copies bytes
// both ways at once. It counts every good frame that went over the wire to the tool,
// and notes when each request from the tool had gone through complete.
class LineTap {
public:
    using Clock = std::chrono::steady_clock;

    explicit LineTap(const std::string& simulatorLine);
    ~LineTap();
    LineTap(const LineTap&) = delete;
    LineTap& operator=(const LineTap&) = delete;

    // Makes dir/name a link to the pty the tool is to open.
    void linkAs(const std::filesystem::path& dir, const std::string& name) const;
    // Until this is called the simulator's bytes are thrown away: call it once the tool has
    // opened the line, whose open discards whatever was waiting. From then on the tap and
    // the tool see the very same bytes.
    void startPassing();

    // Good frames read from the simulator, passed on or not.
    std::uint64_t framesFromSimulator() const;
    // Frames of the given reply code passed on to the tool so far.
    std::uint64_t framesToTool(std::uint8_t code) const;
    std::uint64_t framesToTool() const;
    // When the first request with this code had passed completely, if it has.
    std::optional<Clock::time_point> requestSeen(std::uint8_t code) const;
    // True once the simulator's side has closed and everything it sent was passed on.
    bool simulatorGone() const;
    // CPU time the copying thread has used.
    std::chrono::nanoseconds cpuTime() const;

private:
    void run();
    bool copyFromSimulator();
    bool copyFromTool();
    void forward(int to, const std::uint8_t* data, std::size_t size);

    int simulatorFd_ = -1;
    int toolMaster_ = -1;
    int toolSlave_ = -1; // kept open so the master never reports a hang-up between opens
    int stopFd_ = -1;
    std::string toolPath_;

    mutable std::mutex mutex_;
    std::uint64_t framesFromSimulator_ = 0;
    std::array<std::uint64_t, 256> framesToTool_{};
    std::array<std::optional<Clock::time_point>, 256> requestSeen_{};
    bool simulatorGone_ = false;
    bool passing_ = false;

    FrameReceiver fromSimulator_; // every byte the simulator wrote
    FrameReceiver toTool_;        // the bytes passed on, from the first one
    FrameReceiver fromTool_;
    std::thread thread_;
};

} // namespace tq37r::test
