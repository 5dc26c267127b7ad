#pragma once

#include "cli/CommandPorts.h"

namespace tq37r::cli {

// tq37r-cli on any platform: parses the command line (argv in UTF-8, argv[0] the program), runs
// the command on `ports`, writes results to std::cout and messages to std::cerr, and returns
// the exit status.
int toolMain(int argc, const char* const* argv, CommandPorts& ports);

} // namespace tq37r::cli
