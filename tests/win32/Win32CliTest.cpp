// tq37r-cli.exe under Wine, its controller played by the test on a pty that Wine maps as COM1:
// the commands' frames, output and exit statuses, and what is Windows' own: the arguments in
// UTF-16, Ctrl+C from the console, text on a console.
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "device/GainTable.h"
#include "serial/win32/Utf16.h"
#include "tests/serial/PtyPeer.h"
#include "tests/support/FrameBytes.h"
#include "tests/support/SerialEvents.h"

namespace tq37r::test {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::wstring>;
constexpr auto npos = std::string::npos;

// The requests as they go on the line.
const Bytes kReadFirst{0xA5, 0x5A, 0x04, 0xEA, 0xEE, 0xAA};
const Bytes kReadSecond{0xA5, 0x5A, 0x04, 0xEC, 0xF0, 0xAA};
const Bytes kVersion{0xA5, 0x5A, 0x05, 0x92, 0x00, 0x97, 0xAA};
const Bytes kSave{0xA5, 0x5A, 0x04, 0x86, 0x8A, 0xAA};

Bytes ack(std::uint8_t code) {
    return makeFrame(0xFA, {code});
}

template <GainBlock block> Bytes readBack(const Gains& gains) {
    const auto payload = readBackPayload<block>(gains);
    return makeFrame(block == GainBlock::First ? 0xEB : 0xED, Bytes(payload.begin(), payload.end()));
}

// Where the suite keeps its files, as the programs it starts inherit it.
fs::path dataFolder() {
    std::wstring folder(MAX_PATH, L'\0');
    folder.resize(::GetEnvironmentVariableW(L"TQ37R_DATA_DIR", folder.data(), MAX_PATH));
    return folder;
}

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

HANDLE inheritable(const wchar_t* path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition, 0, nullptr);
}

struct CliResult {
    DWORD status = 0;
    std::string out, err;
    friend bool operator==(const CliResult&, const CliResult&) = default;
    friend std::ostream& operator<<(std::ostream& os, const CliResult& r) {
        return os << "exit " << r.status << ", out \"" << r.out << "\", err \"" << r.err << "\"";
    }
};

// tq37r-cli.exe running, its stdout and stderr in files, or both on `console`.
class Cli {
public:
    explicit Cli(const Args& args, HANDLE console = nullptr) {
        std::wstring line = L"tq37r-cli.exe";
        for (const std::wstring& arg : args) {
            line += arg.find(L' ') == std::wstring::npos ? L" " + arg : L" \"" + arg + L"\"";
        }
        const HANDLE out = console ? console : inheritable(outPath_.c_str(), GENERIC_WRITE, CREATE_ALWAYS);
        const HANDLE err = console ? console : inheritable(errPath_.c_str(), GENERIC_WRITE, CREATE_ALWAYS);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out;
        startup.hStdError = err;
        const std::wstring program = toUtf16(TQ37R_CLI_PATH);
        EXPECT_TRUE(::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                     nullptr, &startup, &process_));
        if (!console) {
            ::CloseHandle(out);
            ::CloseHandle(err);
        }
    }
    ~Cli() {
        ::TerminateProcess(process_.hProcess, 1); // a test that failed midway
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
    }
    std::string out() const { return fileText(outPath_); }
    std::string err() const { return fileText(errPath_); }
    CliResult finish() {
        CliResult result;
        EXPECT_EQ(::WaitForSingleObject(process_.hProcess, 30'000), WAIT_OBJECT_0);
        ::GetExitCodeProcess(process_.hProcess, &result.status);
        result.out = out();
        result.err = err();
        return result;
    }

private:
    const fs::path outPath_ = dataFolder() / "cli-out.txt";
    const fs::path errPath_ = dataFolder() / "cli-err.txt";
    PROCESS_INFORMATION process_{};
};

CliResult run(const Args& args) {
    return Cli(args).finish();
}

// The controller's end of COM1: each request is checked byte for byte, then answered.
class Controller {
public:
    // Waits for `request`, the next bytes on the line, and sends `replies`.
    void expect(const Bytes& request, const std::vector<Bytes>& replies = {}) {
        eventually([&] {
            std::ranges::copy(peer_.readAvailable(), std::back_inserter(received_));
            return received_.size() >= request.size();
        });
        const auto end =
            received_.begin() + static_cast<std::ptrdiff_t>(std::min(request.size(), received_.size()));
        EXPECT_EQ(Bytes(received_.begin(), end), request);
        received_.erase(received_.begin(), end);
        for (const Bytes& reply : replies) {
            peer_.write(reply);
        }
    }
    void answerRead(const Gains& gains) {
        expect(kReadFirst, {readBack<GainBlock::First>(gains)});
        expect(kReadSecond, {readBack<GainBlock::Second>(gains)});
    }
    void send(const Bytes& frame) { peer_.write(frame); }

private:
    PtyPeer peer_;
    Bytes received_;
};

// Ctrl+C goes to every program on a console: the suite has one of its own, which its
// tq37r-cli processes share, and lets it pass by.
class WindowsCli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        fs::create_directories(dataFolder()); // where each run's output goes
        ::FreeConsole();
        ASSERT_TRUE(::AllocConsole());
        ::SetConsoleCtrlHandler([](DWORD) { return TRUE; }, TRUE);
    }
    static void pressCtrlC() { ASSERT_TRUE(::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)); }
};

TEST_F(WindowsCli, CommandsSendTheControllersFramesAndPrintItsAnswers) {
    Controller controller;
    Cli version({L"--timeout=3000", L"version"});
    controller.expect(kVersion, {ack(0x92), makeFrame(0x93, {37, 120})});
    EXPECT_EQ(version.finish(), (CliResult{0, "model 37\nversion 1.20\n", ""}));

    Gains gains = defaultGains();
    Cli read({L"--timeout=3000", L"--json", L"read"});
    controller.answerRead(gains);
    std::string json;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        json += (i == 0 ? "{\"gains\":{\"" : ",\"") + std::string(kGains[i].fileName) +
                "\":" + std::to_string(gains[i]);
    }
    EXPECT_EQ(read.finish(), (CliResult{0, json + "}}\n", ""}));

    // Only the first block holds the pitch row; the row goes out whole.
    Cli set({L"--timeout=3000", L"set", L"pitch.level=40"});
    controller.expect(kReadFirst, {readBack<GainBlock::First>(gains)});
    controller.expect({0xA5, 0x5A, 0x07, 0xE4, 0x28, 0x00, 0x1E, 0x31, 0xAA}, {ack(0xE4)});
    EXPECT_EQ(set.finish(), (CliResult{0, "pitch.level 35 40\n", ""}));
    gains[0] = 40;

    Cli save({L"--timeout=3000", L"save"});
    controller.answerRead(gains);
    controller.expect(kSave, {ack(0x86)});
    controller.answerRead(gains);
    EXPECT_EQ(save.finish(), (CliResult{0, "saved\n", ""}));

    // A name no ANSI code page holds reaches the file system whole, and the history kept in
    // TQ37R_DATA_DIR.
    const fs::path file = dataFolder() / L"飞机.gains";
    Cli backup({L"--timeout=3000", L"backup", file.wstring()});
    controller.expect(kVersion, {ack(0x92), makeFrame(0x93, {37, 120})});
    controller.answerRead(gains);
    EXPECT_EQ(backup.finish(), (CliResult{0, "", ""}));
    EXPECT_NE(fileText(file).find("pitch.level = 40\n"), npos);
    const std::string log = run({L"history", L"log", L"--limit", L"1"}).out;
    EXPECT_TRUE(std::regex_match(log, std::regex(".* tq37r-cli file-saved COM1 .*飞机\\.gains\n"))) << log;

    // A search opens ports of its own.
    Cli detect({L"--timeout=3000", L"detect", L"--ports", L"COM1", L"--bauds", L"38400"});
    controller.expect(kReadFirst, {readBack<GainBlock::First>(gains)});
    const CliResult found = detect.finish();
    EXPECT_EQ(found.status, 0u) << found;
    EXPECT_NE(found.out.find("COM1 38400"), npos) << found;
}

TEST_F(WindowsCli, PortsAndFailuresAreToldAsOnLinux) {
    const std::string ports = run({L"ports"}).out;
    EXPECT_TRUE(ports.starts_with("COM1 \\Device\\Serial0\n")) << ports;
    EXPECT_TRUE(
        std::regex_match(ports, std::regex("(COM[1-9] (\\\\Device\\\\Serial[0-9]+|not-present)\n){9}")))
        << ports;
    EXPECT_EQ(run({L"--port", L"COM12", L"read"}),
              (CliResult{2, "", "tq37r-cli: cannot open COM12: No such device (COM12 is not present)\n"}));
    EXPECT_EQ(run({L"set", L"x.p=256"}).status, 1u);
    const fs::path refused = dataFolder() / L"Ωmega.gains";
    std::ofstream(refused) << "pitch.level = 300\n";
    const CliResult badFile = run({L"diff", refused.wstring()});
    EXPECT_EQ(badFile.status, 5u);
    EXPECT_NE(badFile.err.find("Ωmega.gains: line 1"), npos) << "UTF-8 when redirected: " << badFile;

    Controller silent;
    EXPECT_EQ(run({L"--json", L"--timeout", L"100", L"--retries", L"1", L"read"}),
              (CliResult{
                  3, "{\"error\":\"no answer to read gains, first block (0xEA) after 2 tries\",\"exit\":3}\n",
                  "tq37r-cli: no answer to read gains, first block (0xEA) after 2 tries\n"}));
}

TEST_F(WindowsCli, CtrlCLetsAMonitorFinishItsOutputAndEndsAnyOtherCommandWith130) {
    Controller controller;
    // Opening the port empties its input: the report goes once the trace says it is open.
    Cli monitor({L"--json", L"--trace", L"monitor"});
    ASSERT_TRUE(eventually([&] { return monitor.err().find("opened COM1") != npos; })) << monitor.err();
    controller.send(makeFrame(0xF1, {0, 2, 1 << 2}));
    ASSERT_TRUE(eventually([&] { return monitor.out().find("flight_mode") != npos; }));
    pressCtrlC();
    const CliResult stopped = monitor.finish();
    EXPECT_EQ(stopped.status, 0u) << stopped;
    EXPECT_EQ(stopped.out, "{\"reports\":[{\"flight_mode\":2,\"task\":1}]}\n");

    Cli read({L"--timeout=10000", L"read"});
    controller.expect(kReadFirst);
    pressCtrlC();
    EXPECT_EQ(read.finish().status, 130u);
}

TEST_F(WindowsCli, TextOnAConsoleShowsAsWrittenWhateverItsCodePage) {
    const HANDLE console = inheritable(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    ASSERT_TRUE(::GetConsoleScreenBufferInfo(console, &screen));
    EXPECT_EQ(Cli({L"diff", L"Ωmega-ü.gains"}, console).finish().status, 5u);
    std::wstring shown(static_cast<std::size_t>(screen.dwSize.X) * 4, L' ');
    DWORD read = 0;
    ::ReadConsoleOutputCharacterW(console, shown.data(), static_cast<DWORD>(shown.size()),
                                  {0, screen.dwCursorPosition.Y}, &read);
    ::CloseHandle(console);
    EXPECT_NE(shown.find(L"tq37r-cli: Ωmega-ü.gains cannot be read"), std::wstring::npos) << toUtf8(shown);
}

} // namespace
} // namespace tq37r::test
