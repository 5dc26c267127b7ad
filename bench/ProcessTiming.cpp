#include "bench/ProcessTiming.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tq37r::bench {

pid_t spawn(Args args, const std::string& errPath) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

std::optional<double> runMs(const Args& args, const std::string& errPath) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const pid_t pid = spawn(args, errPath);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

TimedRun fixed(const Args& args) {
    return [args] { return runMs(args); };
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::vector<std::vector<double>> timesMs(int runs, const std::vector<TimedRun>& commands) {
    std::vector<std::vector<double>> times(commands.size());
    for (int i = 0; i < runs; ++i) {
        for (std::size_t c = 0; c < commands.size(); ++c) {
            const std::optional<double> ms = commands[c]();
            if (!ms) {
                return {};
            }
            times[c].push_back(*ms);
        }
    }
    return times;
}

std::vector<double> medianMs(int runs, const std::vector<TimedRun>& commands) {
    std::vector<double> medians;
    for (std::vector<double>& t : timesMs(runs, commands)) {
        medians.push_back(median(std::move(t)));
    }
    return medians;
}

} // namespace tq37r::bench
