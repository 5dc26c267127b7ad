// The background menu's About: the version and the licence, in a box of the core's own.
#include "DialogFixture.h"
#include "core/BackgroundMenu.h"
#include "res/ProjectInfo.h"

namespace tq37r::test {
namespace {

using About = DialogFixture;

TEST_F(About, ShowsTheVersionAndLicenceWithoutAskingForAFile) {
    view.chosenFile = "unused.gains"; // a file command would go ahead with this
    dialog.onMenuCommand(MenuCommand::About);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_NE(view.boxes[0].text.find(project::kVersion), std::string::npos);
    EXPECT_NE(view.boxes[0].detail.find("MIT License"), std::string::npos);
    EXPECT_EQ(view.boxes[0].buttons, MessageBoxRequest::Buttons::Ok);
}

} // namespace
} // namespace tq37r::test
