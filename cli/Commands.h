#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Controller.h"
#include "cli/GainArguments.h"
#include "cli/Output.h"
#include "core/GainFile.h"
#include "core/Journal.h"
#include "core/LineLog.h"
#include "device/Requests.h"

namespace tq37r::cli {

// The commands of tq37r-cli. Each prints its results to out and returns the exit status, or
// throws CommandError. Arguments are checked by the caller before the port is opened, so a
// bad one never gets as far as the line.
namespace command {

// Each gain with its name, in grid order.
std::vector<GainValue> allValues(const Gains& gains);
// The gains in which the two differ, in grid order.
std::vector<GainPair> differences(const Gains& first, const Gains& second);

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
// Prints "name controller other"; `against` names the other side in JSON ("file", "snapshot").
int diff(Controller& controller, const GainFileRead& file, std::string_view against, Output& out);
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

// The tuning history as this tool writes it.
Journal toolJournal();
// The snapshot `id` names (the whole id or a unique prefix); throws a usage error saying why
// not. Read before any port is opened, so a wrong id sends nothing.
Snapshot snapshotNamed(const std::string& id);
// Every gain given, as a gain file that names all 21 would give them.
GainFileRead asGainFile(const Gains& gains);
Gains gainsOf(const Snapshot& snapshot);

// The tuning history; these open no port.
int history(std::size_t limit, const std::string& port, Output& out);
int historyShow(const Snapshot& snapshot, Output& out);
// Exit 4 when any gain differs.
int historyDiff(const Gains& first, const Gains& second, Output& out);
int historyLabel(const Snapshot& snapshot, const std::string& label, Output& out);
// The newest `limit` entries (0: all), oldest first.
int historyLog(std::size_t limit, Output& out);

// Reads a gain file; throws kExitBadFile with the reader's message when it is refused, and
// warns about unknown and missing names.
GainFileRead loadGainFile(const std::string& path, Output& out);

} // namespace command

} // namespace tq37r::cli
