#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tq37r::testing {

struct CliResult {
    int status = -1; // -1: ended by a signal, or killed after 30 s
    std::string out;
    std::string err;
};

// Runs tq37r-cli with args to its end, stdout and stderr captured; the environment (and so
// TQ37R_PORT_DIR) is inherited. With interruptOn, Ctrl+C is sent once stdout holds that text.
CliResult runCli(const std::vector<std::string>& args, std::string_view interruptOn = {});

} // namespace tq37r::testing
