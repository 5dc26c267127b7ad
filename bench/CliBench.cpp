// tq37r-cli against the simulator, which keeps a serial line's time on its pty: it takes a
// request only once the request's last byte would have arrived at the line rate, and sends each
// answer byte by byte from then. So the line times below are floors no run can beat. Every figure
// is "ours / baseline = ratio" from medians of runs taken in turn, each process from spawn to
// exit unless said otherwise, the bench asleep in waitpid meanwhile.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/ProcessTiming.h"
#include "bench/SimulatorProcess.h"
#include "device/BaudTable.h"
#include "device/Codes.h"
#include "device/GainTable.h"
#include "device/Reply.h"
#include "device/Requests.h"
#include "protocol/Frame.h"
#include "protocol/LineTime.h"

namespace fs = std::filesystem;
using tq37r::bench::Args;
using namespace tq37r::bench;

namespace {

using namespace tq37r;

// Medians of this many runs. A set's run takes a few milliseconds, and its difference from the
// client's is a fraction of one, so many pairs; a search takes most of a second, so few.
constexpr int kRuns = 9;
constexpr int kShortRuns = 41;
constexpr int kPairedRuns = 201;
constexpr int kSearchRuns = 5;

std::size_t frameBytes(std::size_t payloadSize) {
    return frame::totalSize(frame::lengthForPayload(payloadSize));
}
std::size_t requestBytes(const Request& request) {
    return frameBytes(request.payloadSize);
}
std::size_t replyBytes(std::uint8_t replyCode) {
    return frameBytes(replyPayloadSize(replyCode));
}
std::uint8_t readBackCode(GainBlock block) {
    return block == GainBlock::First ? code::kGainBlock1 : code::kGainBlock2;
}

double lineMs(std::size_t bytes, unsigned baud) {
    return std::chrono::duration<double, std::milli>(lineTime(bytes, baud)).count();
}

// The controller takes the second read once its last byte comes the pause after the first's: the
// first request, the pause (the first answer and the second request travel within it), then the
// second answer.
double readFloorMs(unsigned baud) {
    const double pauseMs = std::chrono::duration<double, std::milli>(request::kReadPairPause).count();
    return lineMs(requestBytes(request::readGainBlock(GainBlock::First)), baud) + pauseMs +
           lineMs(replyBytes(code::kGainBlock2), baud);
}

// The firmware's request, acknowledgement and version come first.
double backupFloorMs(unsigned baud) {
    const std::size_t firmware = requestBytes(request::firmwareVersion()) +
                                 replyBytes(code::kAcknowledgement) + replyBytes(code::kFirmwareVersion);
    return lineMs(firmware, baud) + readFloorMs(baud);
}

// A set of one row: the read of the row's block and its answer, the row and its acknowledgement.
double setRowFloorMs(const GainRow& row, unsigned baud) {
    const Request read = request::readGainBlock(row.block);
    const Request set = request::setGainRow(row.group, 0, 0, 0);
    return lineMs(requestBytes(read) + replyBytes(readBackCode(row.block)) + requestBytes(set) +
                      replyBytes(code::kAcknowledgement),
                  baud);
}

// A simulator's options for a controller at `baud`.
Args atRate(unsigned baud, Args options = {}) {
    options.insert(options.begin(), {"--baud", std::to_string(baud)});
    return options;
}

int readAndBackup(const std::string& sim, const std::string& cli, const fs::path& dir) {
    const std::string file = (dir / "bench.gains").string();
    int status = 0;
    for (const unsigned baud : {19200u, 115200u}) {
        const SimulatorProcess controller(sim, dir, "COM1", atRate(baud));
        const std::string rate = std::to_string(baud);
        const std::vector<double> ms = medianMs(
            kRuns, {fixed({cli, "--baud", rate, "read"}), fixed({cli, "--baud", rate, "backup", file})});
        if (ms.size() != 2) {
            std::fprintf(stderr, "a read or backup at %u baud failed\n", baud);
            status = 1;
            continue;
        }
        std::printf(
            "tq37r-cli read at %u baud %.1f ms / protocol floor %.1f ms = %.3f (lower is better; 1 is the "
            "floor, no goal set)\n",
            baud, ms[0], readFloorMs(baud), ms[0] / readFloorMs(baud));
        std::printf(
            "tq37r-cli backup at %u baud %.1f ms / protocol floor %.1f ms = %.3f (lower is better; 1 is "
            "the floor, no goal set)\n",
            baud, ms[1], backupFloorMs(baud), ms[1] / backupFloorMs(baud));
    }
    return status;
}

// Milliseconds from the first request sent to the last frame received, as the line log's
// timestamps tell them; nullopt unless `requests` were sent.
std::optional<double> tracedExchangeMs(const std::string& tracePath, int requests) {
    std::ifstream trace(tracePath);
    std::optional<double> firstSent, lastReceived;
    int sent = 0;
    for (std::string line; std::getline(trace, line);) {
        const std::size_t mark = line.find(' ');
        if (mark == std::string::npos) {
            continue;
        }
        const double ms = std::stod(line.substr(0, mark));
        if (line.compare(mark, 4, " -> ") == 0) {
            ++sent;
            firstSent = firstSent.value_or(ms);
        } else if (line.compare(mark, 4, " <- ") == 0) {
            lastReceived = ms;
        }
    }
    if (sent != requests || !lastReceived) {
        return std::nullopt;
    }
    return *lastReceived - *firstSent;
}

// A set of x.p at 115200, a row of the second block, each run to a value other than the last.
int setOfOneRow(const std::string& sim, const std::string& cli, const std::string& client,
                const fs::path& dir) {
    constexpr unsigned kBaud = 115200;
    const std::size_t gain = *findGain("x.p");
    const GainRow& row = rowOfGain(gain);
    const Request read = request::readGainBlock(row.block);
    if (gain != firstGainOf(row.group) || read.payloadSize != 0) {
        std::fprintf(stderr, "the plain client changes a row's first gain, read without a payload\n");
        return 1;
    }
    const SimulatorProcess controller(sim, dir, "COM1", atRate(kBaud, {"--report-ms", "0"}));
    const std::string rate = std::to_string(kBaud);
    int sets = 0; // every run changes the row, whichever program made the one before
    const auto value = [&sets] { return std::to_string(20 + sets++ % 2); };
    const auto setBy = [&]() -> Args { return {cli, "--baud", rate, "set", "x.p=" + value()}; };
    char hex[2][8];
    std::snprintf(hex[0], sizeof hex[0], "%X", read.code);
    std::snprintf(hex[1], sizeof hex[1], "%X", row.setCode);
    const auto clientBy = [&]() -> Args {
        return {client, (dir / "COM1").string(), rate, hex[0], hex[1], std::to_string(row.offset), value()};
    };
    const double floorMs = setRowFloorMs(row, kBaud);

    // The tool's own line log times its exchange; the entries are printed as they are made.
    const std::string tracePath = (dir / "trace").string();
    const std::vector<double> exchange =
        medianMs(kShortRuns, {[&]() -> std::optional<double> {
                     Args args = setBy();
                     args.insert(args.begin() + 1, "--trace");
                     return runMs(args, tracePath) ? tracedExchangeMs(tracePath, 2) : std::nullopt;
                 }});
    const std::vector<std::vector<double>> whole =
        timesMs(kPairedRuns, {[&] { return runMs(setBy()); }, [&] { return runMs(clientBy()); }});
    if (exchange.size() != 1 || whole.size() != 2) {
        std::fprintf(stderr, "a set of one row, or the plain client's, failed\n");
        return 1;
    }
    // Each run against the client's run right after it, so that a change of load between pairs
    // cancels out.
    std::vector<double> differences;
    for (std::size_t i = 0; i < whole[0].size(); ++i) {
        differences.push_back(whole[0][i] - whole[1][i]);
    }
    const double ours = median(whole[0]);
    const double theirs = median(whole[1]);
    std::printf(
        "tq37r-cli set of one row at %u baud, first request to acknowledgement by its --trace %.2f ms / "
        "line floor %.2f ms = %.3f (lower is better; goal at most 1.1)\n",
        kBaud, exchange[0], floorMs, exchange[0] / floorMs);
    std::printf(
        "tq37r-cli set of one row at %u baud, whole run %.2f ms / a plain C client's same exchange %.2f ms "
        "= %.3f, %+.2f ms a pair (lower is better; goal within 0.5 ms)\n",
        kBaud, ours, theirs, ours / theirs, median(std::move(differences)));
    return 0;
}

// Four simulated ports; on the first three controllers at 300 baud, which no rate of the table
// reaches, and on the last one at the table's slowest rate. Each try waits --timeout, enough for
// the slowest try's answer.
int searches(const std::string& sim, const std::string& cli, const fs::path& dir) {
    constexpr unsigned kDeafBaud = 300;
    const unsigned slowest = *std::min_element(kBaudTable.begin(), kBaudTable.end());
    constexpr unsigned kTimeoutMs = 100;
    std::vector<std::unique_ptr<SimulatorProcess>> sims;
    for (const char* port : {"COM1", "COM2", "COM3"}) {
        sims.push_back(
            std::make_unique<SimulatorProcess>(sim, dir, port, atRate(kDeafBaud, {"--report-ms", "0"})));
    }
    sims.push_back(
        std::make_unique<SimulatorProcess>(sim, dir, "COM4", atRate(slowest, {"--report-ms", "0"})));
    const std::string timeout = std::to_string(kTimeoutMs);
    const std::vector<double> ms =
        medianMs(kSearchRuns, {fixed({cli, "--timeout", timeout, "detect", "--ports", "COM1,COM2,COM3,COM4"}),
                               fixed({cli, "--timeout", timeout, "detect", "--ports", "COM4"})});
    if (ms.size() != 2) {
        std::fprintf(stderr, "detect failed\n");
        return 1;
    }
    // Each try's request and the answer it asks for, at the try's rate; the simulator answers
    // from the request's last byte, at once.
    const std::size_t tryBytes =
        requestBytes(request::readGainBlock(GainBlock::First)) + replyBytes(code::kGainBlock1);
    double floorMs = 0;
    for (const unsigned baud : kBaudTable) {
        floorMs += lineMs(tryBytes, baud);
    }
    std::printf(
        "tq37r-cli detect, 4 ports, found on the last at %u baud after %zu tries %.1f ms / line floor of "
        "the tries %.1f ms = %.2f (lower is better; 1 is the floor, no goal set: every try that gets no "
        "answer waits --timeout %u ms)\n",
        slowest, kBaudTable.size(), ms[0], floorMs, ms[0] / floorMs, kTimeoutMs);
    std::printf(
        "tq37r-cli detect, 4 ports %.1f ms / the last port alone %.1f ms = %.3f (lower is better; goal at "
        "most 1.2)\n",
        ms[0], ms[1], ms[0] / ms[1]);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PATH-TO-tq37r-sim PATH-TO-tq37r-cli PATH-TO-plain_client\n", argv[0]);
        return 2;
    }
    const std::string sim = argv[1];
    const std::string cli = argv[2];
    const std::string client = argv[3];
    const fs::path dir = fs::temp_directory_path() / ("tq37r-cli-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    setenv("TQ37R_PORT_DIR", dir.c_str(), 1);
    // The runs' tuning history stays apart from the user's, also when run without bench.sh.
    setenv("TQ37R_DATA_DIR", (dir / "data").c_str(), 0);

    std::printf(
        "tq37r-cli against the simulator: medians of %d runs (a set %d, against the client %d pairs, a "
        "search %d), the runs of a comparison taken in turn\n",
        kRuns, kShortRuns, kPairedRuns, kSearchRuns);
    int status = readAndBackup(sim, cli, dir);
    status |= setOfOneRow(sim, cli, client, dir);
    status |= searches(sim, cli, dir);
    fs::remove_all(dir);
    return status;
}
