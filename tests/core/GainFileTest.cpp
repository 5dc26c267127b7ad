// Gain files: what is written, and what a read applies, refuses and reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include "core/GainFile.h"
#include "core/GainFileIo.h"

namespace tq37r {
namespace {

constexpr std::size_t kPitchLevel = 0;
constexpr std::size_t kXP = 12;

TEST(GainFile, WrittenFileReadsBackTheSameGains) {
    // All different, so a gain written or read in another's place shows; the ends of the range too.
    Gains gains{};
    for (std::size_t i = 0; i < kGainCount; ++i) {
        gains[i] = static_cast<std::uint8_t>(3 + 12 * i);
    }
    gains[1] = 0;
    gains.back() = 255;
    const std::string text = writeGainFile(gains, {"TQ-37 firmware 1.20", "2026-12-06"});
    EXPECT_EQ(text.rfind("# TQ-37R gains\n", 0), 0u);
    EXPECT_NE(text.find("# Firmware: TQ-37 firmware 1.20\n"), std::string::npos);
    EXPECT_NE(text.find("2026-12-06"), std::string::npos);
    EXPECT_NE(text.find("\n\npitch.level = 3\n"), std::string::npos);

    const GainFileRead read = readGainFile(text);
    ASSERT_TRUE(read.accepted());
    for (std::size_t i = 0; i < kGainCount; ++i) {
        EXPECT_EQ(read.values[i], gains[i]) << kGains[i].fileName;
    }
    EXPECT_TRUE(describeGainFileProblems(read).empty());
}

TEST(GainFile, RefusedFileNamesTheLineAndAppliesNothing) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"x.p = 300", "line 3: 300 is not a whole number from 0 to 255"},
        {"x.p = 12a", "line 3: 12a is not a whole number from 0 to 255"},
        {"x.p = 4294967331", "line 3: 4294967331 is not a whole number from 0 to 255"}, // 35 mod 2^32
        {"x.p =", "line 3: no value after \"=\""},
        {"x.p 12", "line 3: expected \"name = value\""},
        {"pitch.level = 36", "line 3: pitch.level is given twice, first on line 2"},
        {"x.p = 35\r\r", "line 3: a stray carriage return (0x0D) in column 9"},
        {std::string("x.p = 3\0005", 9), "line 3: a control character (0x00) in column 8"},
    };
    for (const auto& [bad, message] : cases) {
        const GainFileRead read = readGainFile("# saved by hand\npitch.level = 35\n" + bad + "\ny.p = 1\n");
        ASSERT_FALSE(read.accepted()) << bad;
        EXPECT_EQ(read.error->line, 3u) << bad;
        EXPECT_EQ(describeGainFileProblems(read), std::vector<std::string>{message});
        EXPECT_TRUE(std::none_of(read.values.begin(), read.values.end(), [](auto v) {
            return v.has_value();
        })) << bad;
    }

    // A huge value is quoted only in part.
    const GainFileRead huge = readGainFile("x.p = " + std::string(1'000'000, '9'));
    ASSERT_FALSE(huge.accepted());
    EXPECT_LT(huge.error->message.size(), 100u);
}

TEST(GainFile, UnknownAndMissingNamesAreReportedWhileTheRestApplies) {
    const GainFileRead read = readGainFile("pitch.level = 35\npitch.feedforward = 7\nx.p = 15\n");
    ASSERT_TRUE(read.accepted());
    EXPECT_EQ(read.values[kPitchLevel], 35);
    EXPECT_EQ(read.values[kXP], 15);
    ASSERT_EQ(read.unknownNames.size(), 1u);
    EXPECT_EQ(read.unknownNames[0].name, "pitch.feedforward");
    EXPECT_EQ(read.unknownNames[0].line, 2u);
    EXPECT_EQ(read.missingNames.size(), kGainCount - 2);

    const std::vector<std::string> problems = describeGainFileProblems(read);
    ASSERT_EQ(problems.size(), 1 + kGainCount - 2);
    EXPECT_EQ(problems.front(), "unknown gain \"pitch.feedforward\" on line 2");
    EXPECT_EQ(problems.back(), "no value for height.d");

    std::string flood;
    for (std::size_t i = 0; i < kUnknownNamesKept + 5; ++i) {
        flood += "other.gain" + std::to_string(i) + " = 1\n";
    }
    const GainFileRead flooded = readGainFile(flood + "x.p = 15\n");
    EXPECT_EQ(flooded.values[kXP], 15);
    EXPECT_EQ(flooded.unknownNames.size(), kUnknownNamesKept);
    EXPECT_EQ(describeGainFileProblems(flooded).at(kUnknownNamesKept), "and 5 more unknown gains");
}

TEST(GainFile, CommentsBlankLinesCrlfAndTrailingCommentsAreAccepted) {
    const GainFileRead read = readGainFile("\xEF\xBB\xBF# saved by hand\r\n\r\n \t\r\n"
                                           "  pitch.level\t=  35   # tuned outdoors\r\n"
                                           "# x.p = 300\r\n"
                                           "x.p=15");
    ASSERT_TRUE(read.accepted()) << describeGainFileProblems(read).front();
    EXPECT_EQ(read.values[kPitchLevel], 35);
    EXPECT_EQ(read.values[kXP], 15);
    EXPECT_TRUE(read.unknownNames.empty());
    EXPECT_EQ(read.missingNames.size(), kGainCount - 2);
}

// Sets the process's time zone, POSIX-style ("XXX-14" is 14 hours east of UTC); "" for the system's.
void useTimeZone(const char* zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone);
    _tzset();
#else
    if (*zone != '\0') {
        ::setenv("TZ", zone, 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
#endif
}

// On disk, as both the window and the command line keep them: dated in the local time zone
// (zones on either side of UTC, so one of them differs from the UTC date at any hour), and a
// file far larger than a gain file is refused unread.
TEST(GainFileOnDisk, IsDatedLocallyAndAFileTooLargeIsRefused) {
    const auto path = std::filesystem::temp_directory_path() / ("tq37r-io-" + std::to_string(::getpid()));
    for (const auto& [zone, hoursEast] : {std::pair{"XXX-14", 14}, std::pair{"YYY+12", -12}}) {
        useTimeZone(zone);
        std::string why;
        ASSERT_TRUE(writeGainFileAt(path.string(), defaultGains(), "", why)) << why;
        const std::chrono::year_month_day day{std::chrono::floor<std::chrono::days>(
            std::chrono::system_clock::now() + std::chrono::hours(hoursEast))};
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02u-%02u", int(day.year()), unsigned(day.month()),
                      unsigned(day.day()));
        const auto text = readGainFileText(path.string(), why);
        ASSERT_TRUE(text);
        EXPECT_NE(text->find(std::string("# Saved: ") + date + "\n"), std::string::npos) << zone << *text;
    }
    useTimeZone("");
    std::filesystem::resize_file(path, kMaxGainFileSize);
    std::string why;
    EXPECT_TRUE(readGainFileText(path.string(), why));
    std::filesystem::resize_file(path, kMaxGainFileSize + 1);
    EXPECT_FALSE(readGainFileText(path.string(), why));
    EXPECT_EQ(why, "is far too large to be a gain file");
    std::filesystem::remove(path);
}

std::string contentsOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Saving over an operator's file: a write that fails after its first bytes leaves the old file
// byte for byte and no temporary file beside it; one that succeeds keeps the file's permissions.
TEST(GainFileOnDisk, IsReplacedWholeOrLeftAsItWas) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("tq37r-replace-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path path = folder / "keep.gains";
    const std::string old = writeGainFile(defaultGains(), {"tuned on Tuesday", ""});
    std::ofstream(path, std::ios::binary) << old;
    Gains gains = defaultGains();
    gains[kXP] = 99;
    std::string why;
#ifdef _WIN32
    // Another program holds the file open without letting it be replaced.
    const HANDLE held =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(writeGainFileAt(path.string(), gains, "", why));
    EXPECT_EQ(why, "another program has the file open");
    ::CloseHandle(held);
#else
    ::chmod(path.c_str(), 0640);
    // A file-size limit cuts the write short after its first bytes.
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
        _exit(writeGainFileAt(path.string(), gains, "", why)              ? 0
              : why == "the file would be larger than this system allows" ? 1
                                                                          : 2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 1);
#endif
    EXPECT_EQ(contentsOf(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    ASSERT_TRUE(writeGainFileAt(path.string(), gains, "", why)) << why;
    EXPECT_EQ(readGainFile(contentsOf(path)).values[kXP], 99);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
#ifndef _WIN32
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
    // A link stays a link to the file it named.
    fs::create_symlink(path, folder / "link.gains");
    ASSERT_TRUE(writeGainFileAt((folder / "link.gains").string(), defaultGains(), "", why)) << why;
    EXPECT_TRUE(fs::is_symlink(folder / "link.gains"));
    EXPECT_EQ(readGainFile(contentsOf(path)).values[kXP], defaultGains()[kXP]);
#endif
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(writeGainFileAt(path.string(), gains, "", why));
    EXPECT_EQ(why, "the file is read-only");
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    fs::remove_all(folder);
}

} // namespace
} // namespace tq37r
