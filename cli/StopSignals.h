#pragma once

#include <atomic>
#include <csignal>
#include <functional>
#include <thread>

namespace tq37r::cli {

// Turns Ctrl+C, SIGTERM and SIGHUP into a call of onStop on a thread of its own, so a command
// that runs until stopped can still finish its output. Construct it before any other thread
// starts: the signals are blocked in the constructing thread and in those started after it.
class StopSignals {
public:
    explicit StopSignals(std::function<void()> onStop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    sigset_t signals_{};
    std::function<void()> onStop_;
    std::atomic<bool> closing_{false};
    std::thread thread_;
};

} // namespace tq37r::cli
