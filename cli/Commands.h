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
#include "core/LineLog.h"
#include "device/Requests.h"

namespace tq37r::cli {

// The commands of tq37r-cli. Each prints its results to out and returns the exit status, or
// throws CommandError. Arguments are checked by the caller before the port is opened, so a
// bad one never gets as far as the line.
namespace command {

// The names the window's port list offers, and the device each stands for.
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
// Until `duration` has passed (forever when nullopt) or the controller is interrupted: each
// state report, or with `raw` every frame as the line log shows it (the log must be the
// controller's observer).
int monitor(Controller& controller, std::optional<std::chrono::milliseconds> duration, LineLog* raw,
            Output& out);

// The hidden controls' requests. Setters print what they set once it is acknowledged.
enum class FlightSetting { Altitude, Radius };
int flightSetting(Controller& controller, FlightSetting which, std::optional<std::uint16_t> value,
                  Output& out);
int flightSettings(Controller& controller, Output& out);
// item: 1 to 4, as the window's list numbers its entries.
int mixing(Controller& controller, std::optional<int> item, Output& out);
int gyroTest(Controller& controller, Output& out);
int autoReturn(Controller& controller, bool on, Output& out);
// These command the aircraft: they print the state report that follows.
int flightMode(Controller& controller, FlightMode mode, Output& out);
int task(Controller& controller, Task task, Output& out);

// Tries each port at each rate; prints where the controller answers.
int detect(Controller& controller, std::vector<std::string> ports, std::vector<std::uint32_t> rates,
           Output& out);

// Reads a gain file; throws kExitBadFile with the reader's message when it is refused, and
// warns about unknown and missing names.
GainFileRead loadGainFile(const std::string& path, Output& out);

} // namespace command

} // namespace tq37r::cli
