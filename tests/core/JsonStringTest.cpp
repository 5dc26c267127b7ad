// JSON strings from text that may not be UTF-8: a file name or a gain file line holds any bytes.
#include <gtest/gtest.h>

#include "core/JsonString.h"

namespace tq37r {
namespace {

TEST(JsonString, EscapesControlsAndReplacesEachBadSequenceOnce) {
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(jsonString("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
    EXPECT_EQ(jsonString("宋体 \xF0\x9F\x98\x80"), "\"宋体 \xF0\x9F\x98\x80\"") << "well-formed text stays";
    EXPECT_EQ(jsonString("x\xff.gains"), "\"x" + fffd + ".gains\"");
    EXPECT_EQ(jsonString("\xE5\xAE"), "\"" + fffd + "\"") << "a cut character is one replacement";
    EXPECT_EQ(jsonString("\xE5\xAEx"), "\"" + fffd + "x\"");
    EXPECT_EQ(jsonString("\xC0\xAF"), "\"" + fffd + fffd + "\"") << "overlong";
    EXPECT_EQ(jsonString("\xED\xA0\x80"), "\"" + fffd + fffd + fffd + "\"") << "a surrogate";
    EXPECT_EQ(jsonString("\xF4\x90\x80\x80"), "\"" + fffd + fffd + fffd + fffd + "\"") << "past U+10FFFF";
}

} // namespace
} // namespace tq37r
