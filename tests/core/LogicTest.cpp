// The dialog's small rules: what an edit's text reads as, and that the baud table matches
// the list the template shows.
#include <gtest/gtest.h>

#include <string>

#include "core/BaudRate.h"
#include "core/DialogInteger.h"
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace tq37r {
namespace {

TEST(DialogInteger, TakesSignedDecimalWithSurroundingBlanksWithinThirtyTwoBits) {
    EXPECT_EQ(parseDialogInteger("  -17\t"), -17);
    EXPECT_EQ(parseDialogInteger("+007"), 7);
    EXPECT_EQ(parseDialogInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseDialogInteger("-2147483648"), -2147483647 - 1);
    for (const char* bad :
         {"", " ", "-", "1a", "1 2", "--1", "1.5", "0x10", "2147483648", "-2147483649", "１２"}) {
        EXPECT_EQ(parseDialogInteger(bad), std::nullopt) << '"' << bad << '"';
    }
}

TEST(TemplateInvariants, TheBaudListOpensAtTheRatesItShows) {
    for (const ComboInit& init : paramDialogTemplate().comboInits) {
        if (init.id != id::kBaudList) {
            continue;
        }
        ASSERT_EQ(init.items.size(), kBaudTable.size());
        for (std::size_t i = 0; i < init.items.size(); ++i) {
            EXPECT_EQ(init.items[i], std::to_string(kBaudTable[i]));
            EXPECT_EQ(chosenBaudRate(static_cast<int>(i), "ignored"), kBaudTable[i]);
        }
    }
}

} // namespace
} // namespace tq37r
