#pragma once

#include <optional>

#include "cli/CommandPorts.h"
#include "cli/posix/PortEvents.h"
#include "cli/posix/StopSignals.h"
#include "serial/posix/PortPoll.h"
#include "serial/posix/PosixSerialPort.h"

namespace tq37r::cli {

// The ports waited on in the command's own ppoll, beside a signalfd for Ctrl+C: no thread at all.
class PosixCommandPorts final : public CommandPorts {
public:
    PosixCommandPorts() : port_(poll_.watcher()) {}

    std::string_view portNaming() const override;

    SerialPort& port() override { return port_; }
    ControllerSearch::PortMaker portMaker() override;
    LineWait& lineWait(bool stoppable) override;

private:
    PortPoll poll_; // before every port, which waits there
    PosixSerialPort port_;
    std::optional<StopSignals> stopSignals_;
    std::optional<PortEvents> events_;
};

} // namespace tq37r::cli
