// The commands about the line itself: ports, monitor and detect.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

#include "cli/CheckedOptions.h"
#include "cli/CommandError.h"
#include "cli/Commands.h"
#include "cli/Subcommands.h"
#include "device/BaudTable.h"

namespace tq37r::cli {

namespace {

// A year: a monitor meant to run longer is meant to run until stopped.
constexpr double kMaxMonitorSeconds = 86'400.0 * 365;

struct MonitorOptions {
    double seconds = 0; // 0: until stopped
    bool raw = false;
};

struct DetectOptions {
    std::vector<std::string> ports; // empty: those of COM1..COM9 present
    std::vector<std::uint32_t> bauds;
};

void addSeconds(CLI::App& monitor, double& seconds) {
    monitor
        .add_option_function<std::string>(
            "--seconds",
            [&seconds](const std::string& text) {
                // NaN passes any range check, and would mean forever.
                const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
                if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(seconds) ||
                    seconds < 0 || seconds > kMaxMonitorSeconds) {
                    throw CLI::ValidationError("--seconds",
                                               "must be a number of seconds from 0 to " +
                                                   std::to_string(std::lround(kMaxMonitorSeconds)));
                }
            },
            "stop after this long (1.5 is fine); 0 = until Ctrl+C")
        ->type_name("S");
}

void addPorts(CLI::App& detect, std::vector<std::string>& ports) {
    detect
        .add_option_function<std::vector<std::string>>(
            "--ports",
            [&ports](const std::vector<std::string>& names) {
                for (const std::string& name : names) {
                    if (name.empty()) {
                        throw CLI::ValidationError("--ports", "an empty port name");
                    }
                    if (std::find(ports.begin(), ports.end(), name) == ports.end()) {
                        ports.push_back(name); // a port named twice is tried once
                    }
                }
                if (ports.empty()) {
                    throw CLI::ValidationError("--ports", "names no port");
                }
            },
            "COM names to try (default: those of COM1..COM9 present)")
        ->delimiter(',')
        ->type_name("COMn,...");
}

void addBauds(CLI::App& detect, std::vector<std::uint32_t>& bauds) {
    detect
        .add_option_function<std::vector<std::string>>(
            "--bauds",
            [&bauds](const std::vector<std::string>& texts) {
                for (const std::string& text : texts) {
                    std::uint32_t baud = 0;
                    if (!parseDecimal(text, 1, 4'000'000, baud)) {
                        throw CLI::ValidationError("--bauds", text.empty() ? std::string("an empty rate")
                                                                           : range(1, 4'000'000));
                    }
                    bauds.push_back(baud);
                }
                if (bauds.empty()) {
                    throw CLI::ValidationError("--bauds", "names no rate");
                }
            },
            "rates to try, fastest first (default: the baud table)")
        ->delimiter(',')
        ->type_name("N,...");
}

// Fastest first, each rate once.
std::vector<std::uint32_t> ratesToTry(const std::vector<std::uint32_t>& given) {
    std::vector<std::uint32_t> rates =
        given.empty() ? std::vector<std::uint32_t>(kBaudTable.begin(), kBaudTable.end()) : given;
    std::sort(rates.begin(), rates.end(), std::greater<>());
    rates.erase(std::unique(rates.begin(), rates.end()), rates.end());
    return rates;
}

} // namespace

void setupPorts(CLI::App& app, Command& chosen) {
    app.add_subcommand("ports", "List COM1..COM9 and the device each stands for")
        ->footer("One line per name: \"COMn DEVICE\", or \"COMn not-present\".")
        ->callback([&chosen] {
            chosen.withoutController = [](const SerialPort& port, Output& out) -> int {
                command::ports(port, out);
                return kExitDone;
            };
        });
}

void setupMonitor(CLI::App& app, Command& chosen) {
    auto options = std::make_shared<MonitorOptions>();
    CLI::App* monitor = app.add_subcommand("monitor", "Print the controller's mode reports as they arrive");
    addSeconds(*monitor, options->seconds);
    monitor->add_flag("--raw", options->raw, "print every frame that arrives, as the line log shows it");
    monitor->footer(
        "One line per state report: \"flight-mode M task T\". M: 0 remote, 1 stabilised, 2 auto.\n"
        "T: 0 return, 1 circle, 2 take-off, 255 none (cancelled). With --raw, one line per frame\n"
        "instead: \"MS <- HEX  MEANING\", MS the milliseconds since the port was opened.");
    monitor->callback([&chosen, options] {
        chosen.stoppable = true;
        chosen.observesLine = options->raw;
        chosen.prepare = [options](Output& out) -> Action {
            std::optional<std::chrono::milliseconds> duration;
            if (options->seconds > 0) {
                duration = std::chrono::milliseconds(std::llround(options->seconds * 1000));
            }
            return [&out, duration, raw = options->raw](Line& line) {
                return command::monitor(line.controller, duration, raw ? line.log : nullptr, out);
            };
        };
    });
}

void setupDetect(CLI::App& app, Command& chosen) {
    auto options = std::make_shared<DetectOptions>();
    CLI::App* detect = app.add_subcommand("detect", "Find the port and rate at which the controller answers");
    addPorts(*detect, options->ports);
    addBauds(*detect, options->bauds);
    detect->footer(
        "Asks each port at each rate for the first gain block, which changes nothing (it never\n"
        "sends 92 00), and prints \"COMn BAUD\" for each port that answers; exit status 3 when none\n"
        "does. Each try waits --timeout ms, without retries; what it tries is told on stderr once it\n"
        "has run for more than a second.");
    detect->callback([&chosen, options] {
        chosen.stoppable = true;
        chosen.opensPort = false;
        chosen.prepare = [options](Output& out) -> Action {
            return [&out, options, rates = ratesToTry(options->bauds)](Line& line) {
                return command::detect(
                    line.controller, options->ports.empty() ? listedPortsPresent(line.port) : options->ports,
                    rates, out);
            };
        };
    });
}

} // namespace tq37r::cli
