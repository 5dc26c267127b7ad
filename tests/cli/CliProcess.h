#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace tq37r::testing {

struct CliResult {
    int status = -1; // -1: killed by a signal or still running at the time-out
    std::string out;
    std::string err;
};

// tq37r-cli run as a child process with its stdout and stderr captured. The environment is
// inherited, so TQ37R_PORT_DIR set by the test reaches it.
class CliProcess {
public:
    explicit CliProcess(const std::vector<std::string>& args);
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    // True once stdout holds text; false when it has not come within timeout.
    bool waitForOutput(std::string_view text, std::chrono::milliseconds timeout);
    void signal(int signo) const;
    // Collects the output to its end and the exit status; kills the process after timeout.
    CliResult finish(std::chrono::milliseconds timeout);

private:
    // Reads what either pipe has within timeout; false when both have ended.
    bool pump(std::chrono::milliseconds timeout);

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    CliResult result_;
};

// Runs tq37r-cli with args to its end.
CliResult runCli(const std::vector<std::string>& args);

} // namespace tq37r::testing
