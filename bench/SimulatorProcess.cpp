#include "bench/SimulatorProcess.h"

#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>

namespace tq37r::bench {

SimulatorProcess::SimulatorProcess(const std::string& sim, const std::filesystem::path& portDir,
                                   const std::string& port, const Args& options) {
    Args args{sim, "--port", port};
    args.insert(args.end(), options.begin(), options.end());
    pid_ = spawn(args);
    for (int i = 0; pid_ > 0 && i < 500 && !std::filesystem::is_symlink(portDir / port); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

SimulatorProcess::~SimulatorProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

} // namespace tq37r::bench
