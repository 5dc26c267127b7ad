#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <map>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <regex>
#include <thread>
#include <unistd.h>

#include "core/GainFile.h"
#include "core/Journal.h"
#include "core/JsonReader.h"
#include "device/Codes.h"
#include "protocol/FrameReceiver.h"
#include "sim/ControllerSettings.h"
#include "tests/sim/SimProcess.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Args = std::vector<std::string>;
constexpr auto npos = std::string::npos;

// Lines of output until its end, or until `within` has passed; Ctrl+C once a line holds interruptOn.
std::string outputOf(SimProcess& child, std::chrono::milliseconds within, std::string_view interruptOn = {}) {
    const auto until = std::chrono::steady_clock::now() + within;
    const auto left = [&] {
        return std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    };
    std::string text;
    for (std::string line = child.readLine(left()); !line.empty(); line = child.readLine(left())) {
        text += line + "\n";
        if (!interruptOn.empty() && line.find(interruptOn) != npos) {
            child.signal(SIGINT);
            interruptOn = {};
        }
    }
    return text;
}

struct CliResult {
    std::string out;
    std::optional<int> status; // nullopt: ended by a signal, or still running after 30 s
    std::string err;
};

// Runs tq37r-cli to its end, inheriting TQ37R_PORT_DIR.
CliResult runCli(Args args, std::string_view interruptOn = {}) {
    args.insert(args.begin(), TQ37R_CLI_PATH);
    const fs::path errPath = fs::temp_directory_path() / ("tq37r-cli-err-" + std::to_string(::getpid()));
    SimProcess cli(args, errPath);
    CliResult result{outputOf(cli, 30s, interruptOn), cli.waitExit(30s), {}};
    std::ifstream err(errPath);
    result.err.assign(std::istreambuf_iterator<char>(err), {});
    fs::remove(errPath);
    return result;
}

// "name value" lines in grid order: the controller's defaults, but for `changes`.
std::string gainLines(const std::map<std::string_view, int>& changes = {}) {
    std::string lines;
    for (const GainInfo& gain : kGains) {
        const auto changed = changes.find(gain.fileName);
        lines += std::string(gain.fileName) + " " +
                 std::to_string(changed != changes.end() ? changed->second : gain.defaultValue) + "\n";
    }
    return lines;
}

// Each test has its own port folder, so COM1 is its simulator or nothing, and its own tuning history.
class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir);
        ::setenv("TQ37R_PORT_DIR", dir.c_str(), 1);
        ::setenv("TQ37R_DATA_DIR", (dir / "data").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(dir); }

    // A simulator on COM1 at the tool's default rate, refusing a second read that comes too soon
    // as the controller does; ready once it has told its pty.
    static std::unique_ptr<SimProcess> startSim(const Args& extra = {}, const std::string& port = "COM1",
                                                const std::string& baud = "19200") {
        Args args{TQ37R_SIM_PATH, "--port", port, "--baud", baud, "--device-path", "--strict-gap"};
        args.insert(args.end(), extra.begin(), extra.end());
        auto sim = std::make_unique<SimProcess>(args);
        EXPECT_FALSE(sim->readLine(5s).empty());
        return sim;
    }
    // The stdout of a command that must succeed, run with `options` first.
    std::string ok(Args args) const {
        args.insert(args.begin(), options.begin(), options.end());
        const CliResult result = runCli(args);
        EXPECT_EQ(result.status, 0) << args.back() << ": " << result.err;
        return result.out;
    }

    const fs::path dir = fs::temp_directory_path() / ("tq37r-cli-" + std::to_string(::getpid()));
    Args options;
};

TEST_F(Cli, SetChangesAreReadBackAndAFileRestoresThem) {
    auto sim = startSim({"--firmware-model", "36", "--firmware-version", "2.05"});
    EXPECT_EQ(ok({"read"}), gainLines());
    EXPECT_EQ(ok({"version"}), "model 36\nversion 2.05\n");
    EXPECT_TRUE(ok({"ports"}).starts_with("COM1 " + (dir / "COM1").string() + "\nCOM2 not-present\n"));
    EXPECT_EQ(ok({"set", "pitch.level=40", "x.d=9", "roll.level=35"}), "pitch.level 35 40\nx.d 8 9\n");
    EXPECT_EQ(ok({"save"}), "saved\n");
    EXPECT_EQ(ok({"read"}), gainLines({{"pitch.level", 40}, {"x.d", 9}}));
    const std::string file = (dir / "plane.gains").string();
    ok({"backup", file});
    EXPECT_TRUE(ok({"history", "log", "--limit", "1"}).ends_with(" file-saved COM1 " + file + "\n"));
    std::ifstream backup(file);
    const std::string text(std::istreambuf_iterator<char>(backup), {});
    EXPECT_NE(text.find("# Firmware: TQ-36 firmware 2.05\n"), npos) << text;
    ok({"set", "pitch.level=50"});
    const CliResult changed = runCli({"diff", file});
    EXPECT_EQ(changed.status, 4);
    EXPECT_EQ(changed.out, "pitch.level 50 40\n");
    EXPECT_EQ(ok({"restore", file, "--save"}), "pitch.level 50 40\nsaved\n");
    EXPECT_EQ(ok({"diff", file}), "");
}

TEST_F(Cli, ExitStatusTellsWhatWentWrong) {
    const CliResult noPort = runCli({"read"});
    EXPECT_EQ(noPort.status, 2);
    EXPECT_NE(noPort.err.find("COM1 is not present"), npos) << noPort.err;
    std::ofstream(dir / "bad.gains") << "pitch.level = 35\npitch.stability = 300\n";
    const CliResult badFile = runCli({"diff", (dir / "bad.gains").string()});
    EXPECT_EQ(badFile.status, 5);
    EXPECT_NE(badFile.err.find("line 2"), npos) << badFile.err;

    auto sim = startSim({"--drop", "1", "--stats"});
    for (const Args& a : std::vector<Args>{{"set", "x.p=256"},
                                           {"get", "x.q"},
                                           {"set", "x.p=1", "x.p=2"},
                                           {"--retries", "-1", "read"},
                                           {"monitor", "--seconds", "nan"},
                                           {"detect", "--ports", ""},
                                           {"detect", "--bauds", ""}}) {
        EXPECT_EQ(runCli(a).status, 1) << a[0] << " " << a[1] << " " << a[2];
    }
    const CliResult silent = runCli({"--json", "--timeout", "100", "--retries", "1", "read"});
    EXPECT_EQ(silent.status, 3);
    EXPECT_EQ(silent.out,
              "{\"error\":\"no answer to read gains, first block (0xEA) after 2 tries\",\"exit\":3}\n");
    // The read's two tries and nothing from the refused commands.
    const std::string stats = sim->stop();
    EXPECT_NE(stats.find("requests-received EA 2\n"), npos) << stats;
}

TEST_F(Cli, NoisyLineBreaksNoCommand) {
    auto sim = startSim(
        {"--noise", "0.3", "--corrupt", "0.15", "--drop", "0.15", "--seed", "5", "--report-ms", "50"});
    options = {"--timeout", "250", "--retries", "10"};
    const CliResult traced = runCli({"--trace", "--timeout", "250", "--retries", "10", "read"});
    EXPECT_EQ(traced.out, gainLines()) << "the trace stays off stdout";
    for (const char* mark : {" -> A5 5A 04 EA EE AA  read gains, first block\n", " <- ", " !! "}) {
        EXPECT_NE(traced.err.find(mark), npos) << mark << " in\n" << traced.err;
    }
    EXPECT_TRUE(std::regex_search(
        traced.err, std::regex(" !! [0-9A-F ]+  (bad checksum|bad trailer|[0-9]+ bytes? skipped)")));
    ok({"set", "heading.stability=61"});
    ok({"save"});
    ok({"version"});
    const std::string file = (dir / "noisy.gains").string();
    ok({"backup", file});
    ok({"restore", file, "--save"});
    ok({"diff", file});
    EXPECT_EQ(ok({"get", "heading.stability"}), "heading.stability 61\n");
    // Monitor ends on its time, and on Ctrl+C.
    const std::regex reports("(flight-mode 0 task 255\n)+");
    EXPECT_TRUE(std::regex_match(ok({"monitor", "--seconds", "1"}), reports));
    const CliResult stopped = runCli({"monitor"}, "flight-mode");
    EXPECT_EQ(stopped.status, 0) << stopped.err;
    EXPECT_TRUE(std::regex_match(stopped.out, reports)) << stopped.out;
}

TEST_F(Cli, TheHiddenControlsCommandsReachTheControllerAndWhatIsSavedStays) {
    const std::string flash = (dir / "flash").string();
    auto sim = startSim({"--flash", flash, "--stats"});
    EXPECT_EQ(ok({"altitude", "300"}), "altitude 300\n");
    EXPECT_EQ(ok({"radius", "120"}), "radius 120\n");
    EXPECT_EQ(ok({"mixing", "4"}), "item 4\ntext 4.升降和副翼混控，副翼&方向舵导航\n");
    ok({"save"});
    EXPECT_TRUE(std::regex_match(ok({"gyro-test"}),
                                 std::regex("x -?[0-9]+\\.[0-9] y -?[0-9]+\\.[0-9] z -?[0-9]+\\.[0-9]\n")));
    EXPECT_EQ(ok({"auto-return", "on"}), "auto-return on\n");
    EXPECT_EQ(ok({"auto-return", "off"}), "auto-return off\n");
    const CliResult refused = runCli({"mode", "auto"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("--yes"), npos) << refused.err;
    EXPECT_EQ(ok({"mode", "auto", "--yes"}), "flight-mode 2 task 255\n");
    EXPECT_EQ(ok({"task", "circle", "--yes"}), "flight-mode 2 task 1\n");
    const std::string stats = sim->stop();
    EXPECT_NE(stats.find("requests-received D2 1\n"), npos) << "mode without --yes sent nothing: " << stats;

    sim = startSim({"--flash", flash, "--gyro-fail"});
    EXPECT_EQ(ok({"flight-settings"}), "altitude 300\nradius 120\n");
    EXPECT_EQ(ok({"altitude"}), "altitude 300\n");
    EXPECT_EQ(ok({"--json", "mixing"}), "{\"item\":4,\"text\":\"4.升降和副翼混控，副翼&方向舵导航\"}\n");
    EXPECT_EQ(runCli({"gyro-test"}).status, 4);
}

TEST_F(Cli, DetectFindsTheControllerAtItsRateAndOnlyThere) {
    // Simulators at 300 baud, which is not in the table, answer no rate the search tries.
    auto deaf = startSim({"--report-ms", "0"}, "COM1", "300");
    auto controller = startSim({}, "COM2", "57600");
    auto deafToo = startSim({}, "COM3", "300");
    options = {"--timeout", "100"};
    EXPECT_EQ(ok({"detect"}), "COM2 57600\n");
    // Each port is told as its search ends, and --json keeps the ports' order and the silent ones.
    const CliResult json = runCli({"--timeout", "100", "--json", "detect", "--ports", "COM1,COM2,COM4"});
    EXPECT_EQ(json.out,
              "{\"found\":[{\"port\":\"COM2\",\"baud\":57600}],\"silent\":["
              "{\"port\":\"COM1\",\"heard_at\":[],\"failure\":null},"
              "{\"port\":\"COM4\",\"heard_at\":[],\"failure\":\"No such device (COM4 is not present)\"}]}\n");
    const std::size_t absent = json.err.find("COM4: No such device");
    const std::size_t answered = json.err.find("COM2: the controller answers at 57600");
    const std::size_t silent = json.err.find("COM1: no answer");
    EXPECT_TRUE(absent < answered && answered < silent && silent != npos) << json.err;
    const CliResult none = runCli({"--timeout", "200", "detect", "--ports", "COM1,COM3"});
    EXPECT_EQ(none.status, 3);
    EXPECT_NE(none.err.find(", COM3 at "), npos) << "a search over a second says what it tries: " << none.err;
    EXPECT_EQ(ok({"detect", "--ports", "COM2,COM2", "--bauds", "57600,57600"}), "COM2 57600\n");

    // Ctrl+C mid-search says so, and not that the tries it never made went unanswered.
    const fs::path errPath = dir / "detect.err";
    SimProcess cut({TQ37R_CLI_PATH, "--timeout", "10000", "detect", "--ports", "COM1"}, errPath.string());
    std::this_thread::sleep_for(500ms);
    cut.signal(SIGINT);
    EXPECT_EQ(cut.waitExit(5s), 130);
    std::ifstream err(errPath);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(err), {}), "tq37r-cli: interrupted\n");
}

TEST_F(Cli, ManyProgramsAppendToTheHistoryAtOnceAndEveryLineStaysWhole) {
    std::vector<std::unique_ptr<SimProcess>> sims, reads;
    for (int n = 1; n <= 10; ++n) {
        sims.push_back(startSim({}, "COM" + std::to_string(n)));
    }
    for (int n = 1; n <= 10; ++n) {
        reads.push_back(
            std::make_unique<SimProcess>(Args{TQ37R_CLI_PATH, "--port", "COM" + std::to_string(n), "read"}));
    }
    JournalEntry window;
    window.kind = JournalEntry::Kind::Defaults;
    Journal(dataFolder(), "tq37r-params").record(window);
    for (const auto& read : reads) {
        EXPECT_EQ(read->waitExit(30s), 0);
    }
    std::ifstream journal(dir / "data" / "journal.jsonl");
    std::map<std::string, int> kinds;
    for (std::string line; std::getline(journal, line);) {
        const std::optional<JsonValue> entry = parseJson(line);
        ASSERT_TRUE(entry && entry->member("kind")) << line;
        ++kinds[*entry->member("kind")->string()];
    }
    EXPECT_EQ(kinds, (std::map<std::string, int>{{"defaults", 1}, {"read", 10}}));
}

TEST_F(Cli, ASnapshotIsComparedLabelledAndGoneBackTo) {
    auto sim = startSim({"--flash", (dir / "flash").string()});
    ok({"read"});
    ok({"set", "pitch.level=40"});
    ok({"save"}); // reads, then saves: two snapshots
    const std::string list = ok({"history"});
    EXPECT_TRUE(std::regex_match(list, std::regex("([0-9a-f]{8} [-0-9T:.+]+ COM1 - (save|read) -\n){3}")))
        << list;
    const std::string before = list.substr(list.rfind('\n', list.size() - 2) + 1, 8);
    const std::string after = list.substr(0, 8);
    ok({"history", "label", before.substr(0, 4), "before the change"});
    EXPECT_TRUE(ok({"history", "--limit", "3"}).ends_with(" read before the change\n"));
    EXPECT_EQ(ok({"--port", "COM2", "history"}), "") << "only the snapshots taken on that port";
    const CliResult between = runCli({"history", "diff", before, after});
    EXPECT_EQ(between.status, 4);
    EXPECT_EQ(between.out, "pitch.level 35 40\n");
    const CliResult changed = runCli({"diff", "--snapshot", before});
    EXPECT_EQ(changed.status, 4);
    EXPECT_EQ(changed.out, "pitch.level 40 35\n");
    EXPECT_EQ(ok({"restore", "--snapshot", before, "--save"}), "pitch.level 40 35\nsaved\n");
    EXPECT_EQ(ok({"diff", "--snapshot", before}), "");
    EXPECT_EQ(ok({"--json", "diff", "--defaults"}), "{\"differences\":[]}\n");

    // A history that cannot be written is said once, and the command goes on as before.
    ::setenv("TQ37R_DATA_DIR", (dir / "flash").c_str(), 1);
    const CliResult unkept = runCli({"save"});
    EXPECT_EQ(unkept.status, 0);
    EXPECT_EQ(unkept.err, "tq37r-cli: warning: the tuning history cannot be written: " +
                              (dir / "flash" / "journal.jsonl").string() +
                              ": a part of its path is not a folder\n");
}

// None of these reaches a port: there is no simulator, so opening one would exit 2.
TEST_F(Cli, HistoryRefusesWhatNamesNoSnapshotOrIsNoLabelAndSkipsTornLines) {
    Journal journal(dataFolder(), "tq37r-params");
    JournalEntry read;
    read.gains.emplace();
    const Gains defaults = defaultGains();
    std::copy(defaults.begin(), defaults.end(), read.gains->begin());
    journal.record(read);
    const std::string id = journal.lastSnapshotId();
    for (const Args& a : std::vector<Args>{{"diff", "--snapshot", "zzzz"},
                                           {"restore", "--snapshot", id.substr(0, 3)},
                                           {"history", "show", "g" + id},
                                           {"diff", id + ".gains", "--defaults"},
                                           {"history", "label", id, "tab\there"},
                                           {"history", "label", id, std::string(201, 'x')}}) {
        EXPECT_EQ(runCli(a).status, 1) << a[0] << " " << a[1] << " " << a[2];
    }
    std::ofstream(dir / "data" / "journal.jsonl", std::ios::app) << "{\"v\":1,\"kind\":\"se\nnot JSON\n";
    const CliResult log = runCli({"--json", "history", "log"});
    EXPECT_TRUE(log.out.ends_with(
        "\"gains\":[35,0,30,35,0,30,15,45,60,5,5,0,15,1,8,15,1,8,15,1,10]}],\"skipped\":2}\n"))
        << log.out;
    EXPECT_EQ(log.err, "tq37r-cli: warning: 2 lines of the journal were skipped (torn or unknown)\n");
}

} // namespace
} // namespace tq37r::testing
