#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sim/SimOptions.h"

namespace tq37r::sim {
namespace {

using ::testing::HasSubstr;

ParseResult parse(std::vector<std::string> args) {
    args.insert(args.begin(), "tq37r-sim");
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    return parseOptions(static_cast<int>(argv.size()), argv.data());
}

TEST(SimOptions, TakesEachValueForItsOwnOptionAndStopsAtHelp) {
    const ParseResult parsed =
        parse({"--port", "COM2", "--flood", "--corrupt", "0.25", "--firmware-version", "2.05"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->portName, "COM2");
    EXPECT_TRUE(parsed.options->flood);
    EXPECT_EQ(parsed.options->faults.corrupt, 0.25);
    EXPECT_EQ(parsed.options->firmware.versionHundredths, 205);

    const ParseResult help = parse({"--baud", "9600", "--help"});
    EXPECT_FALSE(help.options);
    EXPECT_EQ(help.error, "");
    EXPECT_THAT(help.usage, HasSubstr("--firmware-version V"));
}

TEST(SimOptions, RefusesAMissingBadOrRepeatedValueNamingTheOption) {
    const std::string noFolder =
        (std::filesystem::temp_directory_path() / "tq37r-no-such-folder" / "f").string();
    const std::vector<std::vector<std::string>> refused{
        {"--port", "--flood"}, // the value was left out; --flood is not a port name
        {"--port"},
        {"--seed", "1", "--seed", "2"},
        {"--flood", "--flood"},
        {"--baud", "4000001"},
        {"--noise", "nan"},
        {"--firmware-model", "256"},
        {"--port", ".."},
        {"--flash", noFolder},
        {"--bogus"},
    };
    for (const std::vector<std::string>& args : refused) {
        const ParseResult parsed = parse(args);
        EXPECT_FALSE(parsed.options) << args[0] << " " << args.back();
        EXPECT_THAT(parsed.error, HasSubstr(args[0]));
    }
}

} // namespace
} // namespace tq37r::sim
