#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace tq37r::bench {

using Args = std::vector<std::string>;
// One timed run, in milliseconds; nullopt when it failed.
using TimedRun = std::function<std::optional<double>()>;

// Starts a program (args[0] a path) with the bench's environment, its stdout on /dev/null and
// its stderr in `errPath`. -1 when it could not start.
pid_t spawn(Args args, const std::string& errPath = "/dev/null");

// Milliseconds from spawn to a successful exit; nullopt when the run failed.
std::optional<double> runMs(const Args& args, const std::string& errPath = "/dev/null");
// runMs of the same command every time.
TimedRun fixed(const Args& args);

double median(std::vector<double> values);

// Each command's times, the commands run in turn `runs` times so that each sees the same load.
// Empty when a run failed.
std::vector<std::vector<double>> timesMs(int runs, const std::vector<TimedRun>& commands);
// The medians of those times; empty when a run failed.
std::vector<double> medianMs(int runs, const std::vector<TimedRun>& commands);

} // namespace tq37r::bench
