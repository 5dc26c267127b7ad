#pragma once

#include <stdexcept>
#include <string>

namespace tq37r::cli {

// The exit statuses scripts rely on; keep their numbers stable.
enum ExitStatus : int {
    kExitDone = 0,
    kExitUsage = 1,
    kExitCannotOpen = 2,
    kExitNoAnswer = 3,
    kExitDifferent = 4,     // diff found differences, or a save did not verify
    kExitBadFile = 5,       // a gain file that cannot be read, written or is refused
    kExitInterrupted = 130, // Ctrl+C, as shells report a command that SIGINT ended
};

// Ends a command: the message for the user and the status the tool exits with.
class CommandError : public std::runtime_error {
public:
    CommandError(ExitStatus status, const std::string& message)
        : std::runtime_error(message), status_(status) {}
    ExitStatus status() const { return status_; }

private:
    ExitStatus status_;
};

} // namespace tq37r::cli
