#pragma once

#include <optional>

#include "cli/CommandPorts.h"
#include "cli/win32/Win32PortEvents.h"
#include "serial/win32/Win32SerialPort.h"

namespace tq37r::cli {

// Each port waited on by its own watcher thread, which wakes the command's wait; Ctrl+C from
// the console handler. From construction on, Ctrl+C ends the program with exit 130.
class Win32CommandPorts final : public CommandPorts {
public:
    Win32CommandPorts();

    std::string_view portNaming() const override;

    SerialPort& port() override { return port_; }
    ControllerSearch::PortMaker portMaker() override;
    LineWait& lineWait(bool stoppable) override;

private:
    std::optional<Win32PortEvents> events_;
    Win32SerialPort port_; // after the events it announces to, so that it closes first
};

} // namespace tq37r::cli
