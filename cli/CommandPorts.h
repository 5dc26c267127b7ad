#pragma once

#include <string_view>

#include "cli/LineWait.h"
#include "serial/SerialPort.h"
#include "session/ControllerSearch.h"

namespace tq37r::cli {

// A run's ports and the command's wait on them, kept as its platform keeps them. Every port
// announces to that wait, which sleeps in the command's own thread until one has news, a stop
// comes or the deadline passes. The ports must be gone before this is.
class CommandPorts {
public:
    // What a COM name stands for here, as --help tells it.
    virtual std::string_view portNaming() const = 0;
    // The port the command opens.
    virtual SerialPort& port() = 0;
    // More ports, for a search; each announces to the same wait.
    virtual ControllerSearch::PortMaker portMaker() = 0;
    // The wait, set up once the command's arguments are checked. With `stoppable`, Ctrl+C ends
    // its waits, so that the command can finish its output; otherwise Ctrl+C ends the program.
    virtual LineWait& lineWait(bool stoppable) = 0;

protected:
    ~CommandPorts() = default;
};

} // namespace tq37r::cli
