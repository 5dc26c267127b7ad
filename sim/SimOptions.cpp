#include "sim/SimOptions.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace tq37r::sim {

namespace {

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

} // namespace

const char* usageText() {
    return "usage: tq37r-sim [options]\n"
           "  --port NAME            link $TQ37R_PORT_DIR/NAME (e.g. COM1) to the simulated line\n"
           "  --device-path          print the pty's path on stdout\n"
           "  --baud N               pace output at N baud, 10 bits a byte (default 115200; 0 = unpaced)\n"
           "  --flash FILE           keep the saved settings in FILE across runs\n"
           "  --report-ms N          state report period (default 500; 0 = none)\n"
           "  --noise P              probability of garbage bytes before a frame\n"
           "  --corrupt P            probability of a frame with a bad checksum or trailer\n"
           "  --drop P               probability that a request goes unheard\n"
           "  --delay-ms N           answer requests N ms late\n"
           "  --flood                send state reports back to back at the full line rate\n"
           "  --seed N               seed for the fault injection and sensor values\n"
           "  --exit-after-ms N      end by itself after N ms\n"
           "  --stats                print frame counters on exit\n"
           "  --firmware-model N     model number in the version reply (default 37)\n"
           "  --firmware-version V   version in the version reply, 0.00 to 2.55 (default 1.20)\n"
           "SIGUSR1 hangs up the line (as if unplugged) and ends the simulator.\n";
}

ParseResult parseOptions(int argc, char** argv) {
    SimOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto fail = [&arg](const std::string& why) {
            return ParseResult{std::nullopt, arg + ": " + why};
        };
        if (arg == "--help" || arg == "-h") {
            return {std::nullopt, ""};
        }
        if (arg == "--device-path") {
            o.printDevicePath = true;
            continue;
        }
        if (arg == "--flood") {
            o.flood = true;
            continue;
        }
        if (arg == "--stats") {
            o.stats = true;
            continue;
        }
        if (i + 1 >= argc) {
            return fail(arg.starts_with("--") ? "needs a value" : "unknown option");
        }
        const std::string value = argv[++i];
        std::uint32_t number = 0;
        if (arg == "--port") {
            if (value.empty() || value.find('/') != std::string::npos || value == "." || value == "..") {
                return fail("a port name, such as COM1");
            }
            o.portName = value;
        } else if (arg == "--flash") {
            o.flashPath = value;
        } else if (arg == "--baud") {
            if (!parseUnsigned(value, 4000000, o.baud)) {
                return fail("a baud rate up to 4000000");
            }
        } else if (arg == "--report-ms") {
            if (!parseUnsigned(value, 3600000, o.reportMs)) {
                return fail("a period in ms");
            }
        } else if (arg == "--noise" || arg == "--corrupt" || arg == "--drop") {
            double& target =
                arg == "--noise" ? o.faults.noise : (arg == "--corrupt" ? o.faults.corrupt : o.faults.drop);
            if (!parseDouble(value, 0, 1, target)) {
                return fail("a probability from 0 to 1");
            }
        } else if (arg == "--delay-ms") {
            if (!parseUnsigned(value, 3600000, o.delayMs)) {
                return fail("a delay in ms");
            }
        } else if (arg == "--seed") {
            if (!parseUnsigned(value, UINT32_MAX, number)) {
                return fail("a number");
            }
            o.seed = number;
        } else if (arg == "--exit-after-ms") {
            if (!parseUnsigned(value, UINT32_MAX, number)) {
                return fail("a time in ms");
            }
            o.exitAfterMs = number;
        } else if (arg == "--firmware-model") {
            if (!parseUnsigned(value, 255, number)) {
                return fail("a number from 0 to 255");
            }
            o.firmware.model = static_cast<std::uint8_t>(number);
        } else if (arg == "--firmware-version") {
            double version = 0;
            if (!parseDouble(value, 0, 2.55, version)) {
                return fail("a version from 0.00 to 2.55");
            }
            o.firmware.versionHundredths = static_cast<std::uint8_t>(std::lround(version * 100));
        } else {
            return fail("unknown option");
        }
    }
    return {o, ""};
}

} // namespace tq37r::sim
