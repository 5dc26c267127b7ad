#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace tq37r::bench {

// Starts a program (args[0] a path) with the bench's environment; stdout and stderr go to
// /dev/null when quiet. -1 when it could not start.
pid_t spawn(std::vector<std::string> args, bool quiet);

// Milliseconds from spawn to exit; negative when the run failed.
double runMs(const std::vector<std::string>& args);

// The medians of the commands, run in turn `runs` times, so that each sees the same load;
// empty when a run failed.
std::vector<double> medianMs(const std::vector<std::vector<std::string>>& commands, int runs);

} // namespace tq37r::bench
