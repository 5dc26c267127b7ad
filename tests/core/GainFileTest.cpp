// Gain files: what is written, and what a read applies, refuses and reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

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
        ASSERT_TRUE(writeGainFileAt(path.string(), defaultGains(), ""));
        const std::chrono::year_month_day day{std::chrono::floor<std::chrono::days>(
            std::chrono::system_clock::now() + std::chrono::hours(hoursEast))};
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02u-%02u", int(day.year()), unsigned(day.month()),
                      unsigned(day.day()));
        std::string why;
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

} // namespace
} // namespace tq37r
