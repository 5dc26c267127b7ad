// Where a window beside the dialog opens: whole on the dialog's screen wherever the dialog is.
#include <gtest/gtest.h>

#include "core/SideWindowPlacement.h"

namespace tq37r {
namespace {

TEST(SideWindowPlacement, BesideTheDialogWhereItFitsAndAlwaysWholeOnItsScreen) {
    const ScreenRect screen{0, 0, 1280, 1024};
    EXPECT_EQ(placeBesideDialog({100, 50, 500, 560}, 640, 560, screen), (ScreenRect{608, 50, 640, 560}));
    EXPECT_EQ(placeBesideDialog({932, 50, 340, 560}, 640, 560, screen), (ScreenRect{284, 50, 640, 560}))
        << "no room on the right: on the left";
    EXPECT_EQ(placeBesideDialog({500, 50, 700, 560}, 900, 560, screen), (ScreenRect{380, 50, 900, 560}))
        << "no room on either side: over the dialog, moved onto the screen";
    EXPECT_EQ(placeBesideDialog({600, 900, 500, 300}, 640, 560, screen).y, 464) << "bottom edge kept";
    EXPECT_EQ(placeBesideDialog({2400, 900, 400, 300}, 640, 700, {1280, 0, 1920, 1040}),
              (ScreenRect{1752, 340, 640, 700}))
        << "on a second screen to the right";
    EXPECT_EQ(placeBesideDialog({10, 10, 500, 560}, 2000, 1200, screen), (ScreenRect{0, 0, 2000, 1200}))
        << "larger than the screen: its top left corner stays on it";
}

} // namespace
} // namespace tq37r
