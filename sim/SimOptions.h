#pragma once

#include "device/BaudTable.h"

#include <cstdint>
#include <optional>
#include <string>

#include "sim/FaultInjector.h"
#include "sim/SimController.h"

namespace tq37r::sim {

struct SimOptions {
    std::string portName; // link $TQ37R_PORT_DIR/<portName> to the pty; empty for none
    bool printDevicePath = false;
    std::uint32_t baud = kDefaultBaudRate; // the window's, so the two meet untold; 0: as fast as the pty takes
    std::string flashPath;        // empty: flash lives only as long as the process
    std::uint32_t reportMs = 500; // 0: no state reports
    FaultSettings faults;
    std::uint32_t delayMs = 0;
    bool flood = false;
    bool strictGap = false; // ignore a second gain read that comes too soon after the first
    bool gyroFails = false;
    std::optional<std::uint32_t> seed;
    std::optional<std::uint32_t> exitAfterMs;
    bool stats = false;
    FirmwareInfo firmware;
};

struct ParseResult {
    std::optional<SimOptions> options; // nullopt: end without starting
    std::string error;                 // what was wrong; empty when --help asked for the usage
    std::string usage;                 // or the version, when --version asked for it
};

// Each option at most once, each value checked, the --flash file checked as FlashFile::unusable does.
ParseResult parseOptions(int argc, char** argv);

} // namespace tq37r::sim
