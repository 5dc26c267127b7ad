// Invariants of dialog template 102 that the program relies on; the data itself is not restated.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <stdexcept>
#include <string>

#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace tq37r {
namespace {

// Throws for an id the template lacks, which fails the test rather than reading past the list.
const ControlTemplate& control(int controlId) {
    const auto& controls = paramDialogTemplate().controls;
    const auto found = std::ranges::find(controls, controlId, &ControlTemplate::id);
    if (found == controls.end()) {
        throw std::out_of_range("no control " + std::to_string(controlId));
    }
    return *found;
}

TEST(DialogTemplate, IdsAreUniqueAndHiddenControlsStayInTheStatusBand) {
    const DialogTemplate& dialog = paramDialogTemplate();
    std::set<int> ids;
    std::size_t hidden = 0;
    for (const ControlTemplate& c : dialog.controls) {
        EXPECT_TRUE(c.id == id::kNoId || ids.insert(c.id).second) << "id " << c.id << " twice";
        EXPECT_LE(c.x + c.width, dialog.width) << c.id;
        if ((c.styles & style::kHidden) != 0) {
            ++hidden;
            EXPECT_GE(c.y, 315) << c.id; // never shown, parked under the status line
        }
    }
    EXPECT_EQ(dialog.controls.size(), 96u);
    EXPECT_EQ(hidden, 28u);
    EXPECT_EQ(dialog.controls.front().kind, ControlKind::DefaultPushButton);
    EXPECT_EQ(dialog.controls.front().id, id::kOpenClose);
}

// The grid: each row's three edits share a line and sit beside their Set button, and the
// columns line up from row to row. A mistyped coordinate or a swapped id breaks this.
TEST(DialogTemplate, GainRowsLineUpWithTheirSetButtonsAndColumns) {
    struct Row {
        int set;
        int edits[3];
    };
    const Row rows[] = {
        {id::kSetPitch, {id::kPitchLevelCoef, id::kPitchStabilityContinue, id::kPitchStabilityCoef}},
        {id::kSetRoll, {id::kRollLevelCoef, id::kRollStabilityContinue, id::kRollStabilityCoef}},
        {id::kSetHeading, {id::kHeadingLockingCoef, id::kHeadingLockingContinue, id::kHeadingStabilityCoef}},
        {id::kSetOther, {id::kAltitudeCompensation, id::kSpeedControl, id::kOtherThird}},
        {id::kSetX, {id::kXP, id::kXI, id::kXD}},
        {id::kSetY, {id::kYP, id::kYI, id::kYD}},
        {id::kSetHeight, {id::kHeightP, id::kHeightI, id::kHeightD}},
    };
    int previousSetY = -1;
    for (const Row& row : rows) {
        const ControlTemplate& set = control(row.set);
        EXPECT_GT(set.y, previousSetY) << row.set;
        previousSetY = set.y;
        for (int column = 0; column < 3; ++column) {
            const ControlTemplate& edit = control(row.edits[column]);
            const ControlTemplate& top = control(rows[0].edits[column]);
            EXPECT_EQ(edit.x, top.x) << row.edits[column];
            EXPECT_LE(std::abs(edit.y - control(row.edits[0]).y), 1) << row.edits[column];
            EXPECT_GE(edit.y, set.y) << row.edits[column];
            EXPECT_LE(edit.y + edit.height, set.y + set.height) << row.edits[column];
            EXPECT_LT(edit.x + edit.width, set.x);
        }
    }
    EXPECT_TRUE((control(id::kOtherThird).styles & style::kDisabled) != 0);
}

} // namespace
} // namespace tq37r
