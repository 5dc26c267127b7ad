#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/Controller.h"
#include "cli/GainArguments.h"
#include "cli/Output.h"
#include "core/GainFile.h"

namespace tq37r::cli {

// The commands of tq37r-cli. Each prints its results to out and returns the exit status, or
// throws CommandError. Arguments are checked by the caller before the port is opened, so a
// bad one never gets as far as the line.
namespace command {

// Names looked at by `ports`: the ones the window's port list offers.
inline constexpr int kListedPorts = 9;

void ports(const SerialPort& port, Output& out);

// Throws kExitCannotOpen with the cause the window would show.
void open(Controller& controller, const std::string& portName, std::uint32_t baudRate);

int version(Controller& controller, Output& out);
int read(Controller& controller, Output& out);
int get(Controller& controller, const std::vector<std::size_t>& gainIndices, Output& out);
int set(Controller& controller, const std::vector<GainAssignment>& assignments, Output& out);
int save(Controller& controller, Output& out);
int backup(Controller& controller, const std::string& path, Output& out);
int restore(Controller& controller, const GainFileRead& file, bool thenSave, Output& out);
int diff(Controller& controller, const GainFileRead& file, Output& out);
// Until `duration` has passed (forever when nullopt) or the controller is interrupted.
int monitor(Controller& controller, std::optional<std::chrono::milliseconds> duration, Output& out);

// Reads a gain file; throws kExitBadFile with the reader's message when it is refused, and
// warns about unknown and missing names.
GainFileRead loadGainFile(const std::string& path, Output& out);

} // namespace command

} // namespace tq37r::cli
