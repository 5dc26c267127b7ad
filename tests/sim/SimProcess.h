#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tq37r::testing {

// tq37r-sim run as a child process, its stdout on a pipe. The environment is
// inherited, so TQ37R_PORT_DIR set by the test reaches it.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The next stdout line, without its newline; empty on time-out or end of output.
    std::string readLine(std::chrono::milliseconds timeout);
    void signal(int signo) const;
    // The exit code, or nullopt when it is still running after timeout (or died by a signal).
    std::optional<int> waitExit(std::chrono::milliseconds timeout);
    // After exit: the "--stats" counters, keyed "frames-sent F1", "noise-bytes", ...
    std::map<std::string, std::uint64_t> stats();

private:
    std::string drainOutput(std::chrono::milliseconds timeout);

    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffered_;
    bool exited_ = false;
    int exitCode_ = -1;
};

// Opens a pty slave (or a link to one) raw, non-blocking, with stale input thrown away.
int openRawLine(const std::string& path);

} // namespace tq37r::testing
