// The baud list the template shows against the rates Open uses.
#include <gtest/gtest.h>

#include <string>

#include "core/BaudRate.h"
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace tq37r {
namespace {

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
