#pragma once

#include <csignal>

namespace tq37r::cli {

// Ctrl+C, SIGTERM and SIGHUP as a descriptor that becomes readable, waited on beside the ports,
// so that a command that runs until stopped can still finish its output. Construct it before
// any thread starts: the signals are blocked in the constructing thread and in those started
// after it, and stay blocked to the end, so one that comes after the last look is not fatal.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Readable once a stop signal came; -1 when none could be made (the signals then end the
    // program as they would without this).
    int fd() const { return fd_; }
    // Takes the signals that came; whether there were any.
    bool take();

private:
    int fd_ = -1;
};

} // namespace tq37r::cli
