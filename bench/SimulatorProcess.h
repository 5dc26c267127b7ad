#pragma once

#include <filesystem>
#include <string>

#include <sys/types.h>

#include "bench/ProcessTiming.h"

namespace tq37r::bench {

// tq37r-sim on `port` of the bench's port folder ($TQ37R_PORT_DIR, `portDir`), its messages
// dropped: the figures are what the bench prints. Ready once its port's link is there; stopped
// when this goes.
class SimulatorProcess {
public:
    SimulatorProcess(const std::string& sim, const std::filesystem::path& portDir, const std::string& port,
                     const Args& options);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    bool started() const { return pid_ > 0; }

private:
    pid_t pid_;
};

} // namespace tq37r::bench
