#pragma once

#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

namespace tq37r::testing {

// A program (tq37r-sim, or the tool) run as a child process, its stdout on a pipe and its
// stderr the test's own or the file errorFile. The environment is inherited, so
// TQ37R_PORT_DIR set by the test reaches it.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& args, const std::string& errorFile = {});
    // Kills the process if it is still running.
    ~SimProcess();
    // Neither copied nor moved: it owns the child and its pipe.
    SimProcess(SimProcess&&) = delete;

    // The next stdout line, without its newline; empty on time-out or end of output.
    std::string readLine(std::chrono::milliseconds timeout);
    void signal(int signo) const { ::kill(pid_, signo); }
    // The exit code, or nullopt when it is still running after timeout (or died by a signal).
    std::optional<int> waitExit(std::chrono::milliseconds timeout);
    // Ends it with SIGTERM, expecting status 0; the lines it printed meanwhile (--stats).
    std::string stop();

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::optional<int> waitStatus_; // set once the process has been reaped
};

} // namespace tq37r::testing
