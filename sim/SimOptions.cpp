#include "sim/SimOptions.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string_view>

#include "res/ProjectInfo.h"
#include "sim/FlashFile.h"

namespace tq37r::sim {

namespace {

// Decimal only: CLI11's own conversion would read "010" as octal.
bool parseUnsigned(std::string_view text, std::uint64_t max, std::uint32_t& out) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value > max) {
        return false;
    }
    out = static_cast<std::uint32_t>(value);
    return true;
}

bool parseDouble(const std::string& text, double min, double max, double& out) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value) || value < min || value > max) {
        return false;
    }
    out = value;
    return true;
}

// Negative numbers are refused by the value checks; this catches the option after one whose value
// was left out, which CLI11 would take as the value (--port --flood).
bool looksLikeOption(const std::string& value) {
    return value.size() > 1 && value[0] == '-' &&
           (value[1] == '-' || std::isalpha(static_cast<unsigned char>(value[1])));
}

// Stores the value and returns what is wrong with it, empty when nothing.
using Take = std::function<std::string(const std::string&)>;

void addValueOption(CLI::App& app, const std::string& name, const std::string& typeName,
                    const std::string& help, Take take) {
    app.add_option_function<std::string>(
           name,
           [name, take](const std::string& value) {
               if (looksLikeOption(value)) {
                   throw CLI::ValidationError(name, "needs a value, not the option " + value);
               }
               if (const std::string wrong = take(value); !wrong.empty()) {
                   throw CLI::ValidationError(name, wrong);
               }
           },
           help)
        ->type_name(typeName);
}

Take number(std::uint64_t max, std::uint32_t& out, const std::string& what) {
    return [max, &out, what](const std::string& value) {
        return parseUnsigned(value, max, out) ? "" : value + " is not " + what;
    };
}

Take optionalNumber(std::optional<std::uint32_t>& out, const std::string& what) {
    return [&out, what](const std::string& value) {
        std::uint32_t n = 0;
        if (!parseUnsigned(value, UINT32_MAX, n)) {
            return value + " is not " + what;
        }
        out = n;
        return std::string();
    };
}

Take probability(double& out) {
    return [&out](const std::string& value) {
        return parseDouble(value, 0, 1, out) ? "" : value + " is not a probability from 0 to 1";
    };
}

void addFlag(CLI::App& app, const std::string& name, bool& out, const std::string& help) {
    app.add_flag(name, out, help)->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

} // namespace

ParseResult parseOptions(int argc, char** argv) {
    SimOptions o;
    CLI::App app("", "tq37r-sim");
    app.set_help_flag("-h,--help", "print this help and exit");
    app.set_version_flag("--version", project::versionText("tq37r-sim"), "print the version and exit");
    app.footer("SIGUSR1 hangs up the line (as if unplugged) and ends the simulator.");
    addValueOption(app, "--port", "NAME", "link $TQ37R_PORT_DIR/NAME (e.g. COM1) to the simulated line",
                   [&o](const std::string& value) {
                       if (value.empty() || value.find('/') != std::string::npos || value == "." ||
                           value == "..") {
                           return "'" + value + "' is not a port name, such as COM1";
                       }
                       o.portName = value;
                       return std::string();
                   });
    addFlag(app, "--device-path", o.printDevicePath, "print the pty's path on stdout");
    addValueOption(
        app, "--baud", "N",
        "the controller's rate: both ways paced at 10 bits a byte, a tool at another rate gets garbage "
        "(default " + std::to_string(kDefaultBaudRate) + ", as the window starts; 0 = unpaced, any rate)",
        number(4000000, o.baud, "a baud rate up to 4000000"));
    addValueOption(app, "--flash", "FILE", "keep the saved settings in FILE across runs",
                   [&o](const std::string& value) {
                       o.flashPath = value;
                       return FlashFile::unusable(value);
                   });
    addValueOption(app, "--report-ms", "N", "state report period (default 500; 0 = none)",
                   number(3600000, o.reportMs, "a period in ms"));
    addValueOption(app, "--noise", "P", "probability of garbage bytes before a frame",
                   probability(o.faults.noise));
    addValueOption(app, "--corrupt", "P", "probability of a frame with a bad checksum or trailer",
                   probability(o.faults.corrupt));
    addValueOption(app, "--drop", "P", "probability that a request goes unheard", probability(o.faults.drop));
    addValueOption(app, "--delay-ms", "N", "answer requests N ms late",
                   number(3600000, o.delayMs, "a delay in ms"));
    addFlag(app, "--flood", o.flood, "send state reports back to back at the full line rate");
    addFlag(
        app, "--strict-gap", o.strictGap,
        "ignore a second gain read (0xEC) sooner than 100 ms after the first (0xEA), as the controller does");
    addFlag(app, "--gyro-fail", o.gyroFails, "the gyro self-test reports a failure");
    addValueOption(app, "--seed", "N", "seed for the fault injection and sensor values",
                   optionalNumber(o.seed, "a number"));
    addValueOption(app, "--exit-after-ms", "N", "end by itself after N ms",
                   optionalNumber(o.exitAfterMs, "a time in ms"));
    addFlag(app, "--stats", o.stats, "print frame counters on exit");
    std::uint32_t model = o.firmware.model;
    addValueOption(app, "--firmware-model", "N", "model number in the version reply (default 37)",
                   number(255, model, "a number from 0 to 255"));
    addValueOption(app, "--firmware-version", "V",
                   "version in the version reply, 0.00 to 2.55 (default 1.20)",
                   [&o](const std::string& value) {
                       double version = 0;
                       if (!parseDouble(value, 0, 2.55, version)) {
                           return value + " is not a version from 0.00 to 2.55";
                       }
                       o.firmware.versionHundredths = static_cast<std::uint8_t>(std::lround(version * 100));
                       return std::string();
                   });
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return {std::nullopt, "", app.help()};
    } catch (const CLI::CallForVersion& version) {
        return {std::nullopt, "", std::string(version.what()) + "\n"};
    } catch (const CLI::ParseError& e) {
        return {std::nullopt, e.what(), ""};
    }
    o.firmware.model = static_cast<std::uint8_t>(model);
    return {o, "", ""};
}

} // namespace tq37r::sim
