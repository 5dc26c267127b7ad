// What the window knows of each gain on the controller's side: the tints, the question on
// the way out, the notices when nothing happened, the checked save, and gain files.
#include <filesystem>
#include <fstream>

#include "DialogFixture.h"

namespace tq37r::test {
namespace {

class Gains : public DialogFixture {
protected:
    void readBack(std::uint8_t pitchLevel = 35) {
        Bytes block1{5, 5, 0, 15, 1, 10, 0, 0, 0, 15, 45, 60, pitchLevel, 0, 30, 35, 0, 30};
        reply(makeFrame(0xEB, block1));
        reply(makeFrame(0xED, {15, 1, 8, 15, 1, 8}));
    }
    void typeGain(int editId, std::string text) {
        view.type(editId, std::move(text));
        dialog.onEditChanged(editId);
    }
    GainTint tint(int editId) { return view.tints[editId]; }
    // Write to TQ-37R, acknowledged; the check's second read goes after the controller's pause.
    void save() {
        click(id::kSaveConfiguration);
        reply(makeFrame(0xFA, {0x86}));
        tick(100ms);
    }

    std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("tq37r-gains-" + std::to_string(::getpid()) + ".gains");
    void TearDown() override { std::filesystem::remove(file); }
};

TEST_F(Gains, EachGainSaysWhetherItIsInFlashSentOrChangedHere) {
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::None);
    openQuietly();
    readBack();
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::InFlash);
    typeGain(id::kPitchLevelCoef, "40");
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::Changed);
    EXPECT_EQ(view.toolTips[id::kPitchLevelCoef], "Changed here, not sent (the controller has 35)");
    click(id::kSetPitch);
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::Changed) << "sent, but not acknowledged yet";
    reply(makeFrame(0xFA, {0xE4}));
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::Unsaved);
    EXPECT_EQ(tint(id::kPitchStabilityCoef), GainTint::InFlash) << "sent as it was: flash holds it still";
    EXPECT_EQ(tint(id::kRollLevelCoef), GainTint::InFlash);
    readBack(40); // the controller reports what was sent: still not in its flash
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::Unsaved);
    typeGain(id::kPitchLevelCoef, "35");
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::Changed) << "35 is in flash, but not in the controller";

    click(id::kRestoreDefaults);
    EXPECT_EQ(tint(id::kXD), GainTint::InFlash) << "a default equal to the controller's value";
    click(id::kOpenClose); // another controller may be on the line at the next open
    EXPECT_EQ(tint(id::kXD), GainTint::None);
    EXPECT_TRUE(view.toolTips[id::kXD].starts_with("Not read since the port was opened (last read 8 at "))
        << view.toolTips[id::kXD];
}

TEST_F(Gains, AWriteIsCheckedByReadingBothBlocksBack) {
    openQuietly();
    readBack();
    typeGain(id::kPitchLevelCoef, "40");
    click(id::kSetPitch);
    reply(makeFrame(0xFA, {0xE4}));
    port.written.clear();
    save();
    EXPECT_EQ(takeSentCodes(), (std::vector<std::uint8_t>{0x86, 0xEA, 0xEC}))
        << "the check reads both blocks";
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::InFlash);
    readBack(40);
    EXPECT_EQ(status(), "Save configuration parameters success！") << "all agree: the save's text stays";

    typeGain(id::kPitchLevelCoef, "41");
    click(id::kSetPitch);
    reply(makeFrame(0xFA, {0xE4}));
    typeGain(id::kXP, "99"); // typed meanwhile, not sent: the check leaves it alone
    save();
    readBack(44);
    EXPECT_EQ(status(), "Saved, but Pitch Level Coefficient reads 44, not 41.");
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::Mismatch);
    EXPECT_EQ(view.text(id::kPitchLevelCoef), "44");
    EXPECT_EQ(view.text(id::kXP), "99");
    typeGain(id::kPitchLevelCoef, "45");
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::Changed) << "typed over a red gain";
    click(id::kSetPitch);
    reply(makeFrame(0xFA, {0xE4}));
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::Unsaved) << "sent again: no longer the saved one";

    // Two others differ: the first of them is named, and the count is of the rest.
    typeGain(id::kXP, "15");
    save();
    reply(makeFrame(0xEB, {5, 5, 0, 15, 1, 10, 0, 0, 0, 15, 45, 60, 45, 0, 30, 35, 0, 30}));
    reply(makeFrame(0xED, {15, 1, 8, 15, 2, 9})); // X I and X D read otherwise
    EXPECT_EQ(status(), "Saved, but X I reads 2, not 1; 1 more gain differs.");
    EXPECT_EQ(tint(id::kXD), GainTint::Mismatch);
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::InFlash);

    // A check whose answers never came says so, and does not swallow the next Read's replies.
    save();
    tick(1000ms);
    EXPECT_EQ(status(), "Saved, but the read-back got no answer: not verified.");
    save();
    click(id::kRead);
    readBack(44);
    EXPECT_EQ(status(), "Read TQ-36R OK！");
}

TEST_F(Gains, ClosingAsksFirstOnlyWhenSomethingWouldBeLost) {
    click(id::kCancel);
    EXPECT_TRUE(view.ended);
    EXPECT_TRUE(view.boxes.empty());

    view.ended = false;
    openQuietly();
    readBack();
    typeGain(id::kYD, "9");
    typeGain(id::kPitchLevelCoef, "40");
    typeGain(id::kPitchStabilityCoef, "31");
    click(id::kSetPitch);
    reply(makeFrame(0xFA, {0xE4}));
    view.answer = MessageBoxAnswer::Cancel;
    click(id::kCancel);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].text,
              "1 gain is changed here and not sent, and 2 gains are sent but not saved to flash.");
    EXPECT_EQ(view.boxes[0].buttons, MessageBoxRequest::Buttons::OkCancel);
    EXPECT_FALSE(view.ended);
    view.answer = MessageBoxAnswer::Ok;
    click(id::kCancel);
    EXPECT_TRUE(view.ended);

    // Sent but not saved, nothing changed here: still lost at the next power cycle.
    view.ended = false;
    typeGain(id::kYD, "8");
    ASSERT_EQ(tint(id::kYD), GainTint::InFlash);
    click(id::kCancel);
    ASSERT_EQ(view.boxes.size(), 3u);
    EXPECT_EQ(view.boxes[2].text, "2 gains are sent but not saved to flash.");
}

TEST_F(Gains, ARequestThatCouldNotGoOrGotNoAnswerSaysSo) {
    typeGain(id::kPitchLevelCoef, "40");
    click(id::kSetPitch);
    EXPECT_EQ(status(), "The port is not open.");
    tick(3000ms);
    EXPECT_EQ(status(), "");
    openQuietly();
    reply(makeFrame(0xFA, {0xE4})); // whatever this acknowledges, it is not the Set of a closed port
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::Changed);
    click(id::kSetPitch);
    click(id::kOpenClose);
    click(id::kOpenClose);
    reply(makeFrame(0xFA, {0xE4})); // nor that of an earlier open
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::Changed);
    port.written.clear();
    click(id::kSetPitch);
    reply(makeFrame(0xFA, {0xE4}));
    click(id::kRead);
    tick(1000ms);
    EXPECT_EQ(status(), "No reply from the controller.");
    readBack(); // late, and still taken
    EXPECT_EQ(status(), "Read TQ-36R OK！");
    tick(1000ms);
    EXPECT_EQ(status(), "Read TQ-36R OK！") << "the Set was answered: nothing more to say";
}

TEST_F(Gains, AGainFileKeepsTheGridAndLoadingSendsNothing) {
    openQuietly();
    readBack();
    typeGain(id::kXI, "7");
    dialog.saveGainFile(file.string());
    EXPECT_EQ(status(), "Gains saved to " + file.filename().string() + ".");

    click(id::kRestoreDefaults);
    dialog.loadGainFile(file.string());
    EXPECT_EQ(view.text(id::kXI), "7");
    EXPECT_EQ(tint(id::kXI), GainTint::Changed);
    EXPECT_TRUE(port.written.empty());
    dialog.compareWithGainFile(file.string());
    EXPECT_EQ(status(), "The grid matches " + file.filename().string() + ".");

    typeGain(id::kXI, "8");
    dialog.compareWithGainFile(file.string());
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].text, "The grid and " + file.filename().string() + " differ in 1 gain.");
    EXPECT_EQ(view.boxes[0].detail, "X I: 8 here, 7 in the file");
    std::ofstream(file) << "x.i = 8\nx.q = 1\n";
    dialog.compareWithGainFile(file.string());
    ASSERT_EQ(view.boxes.size(), 2u) << "a file that names a gain this controller lacks is no match";

    click(id::kOpenClose); // nothing known of the controller: a loaded gain is changed here all the same
    dialog.loadGainFile(file.string());
    EXPECT_EQ(tint(id::kXI), GainTint::Changed);
    std::ofstream(file) << "x.p = 15\nx.i = 300\n";
    dialog.loadGainFile(file.string());
    ASSERT_EQ(view.boxes.size(), 4u);
    EXPECT_EQ(view.boxes[3].detail, "line 2: 300 is not a whole number from 0 to 255");
    EXPECT_EQ(view.text(id::kXI), "8") << "a refused file applies nothing";
}

// Undo and redo go back over typing, a file, a snapshot and a gain reset, exactly and with their
// tints, and send nothing.
TEST_F(Gains, UndoAndRedoRestoreTheGridAndItsTintsAndSendNothing) {
    openQuietly();
    readBack();
    std::vector<std::string> shown;
    const auto grid = [this] {
        std::string text;
        for (const int edit : kGainEdits) {
            text += view.text(edit) + (tint(edit) == GainTint::InFlash ? " " : "* ");
        }
        return text;
    };
    shown.push_back(grid());
    typeGain(id::kPitchLevelCoef, "4");
    typeGain(id::kPitchLevelCoef, "4x"); // one run of typing is one step
    shown.push_back(grid());
    std::ofstream(file) << "x.i = 7\n";
    dialog.loadGainFile(file.string());
    shown.push_back(grid());
    tq37r::Gains snapshot = defaultGains();
    snapshot[14] = 9; // x.d
    dialog.loadSnapshot(snapshot, "abcd1234");
    shown.push_back(grid());
    ASSERT_EQ(dialog.fieldMenu(id::kYP).back().label, "Back to the controller's value (15)");
    EXPECT_EQ(dialog.fieldMenu(id::kYP).front().label, "Reset to default (15)");
    dialog.onFieldCommand(id::kPitchLevelCoef, ParamDialog::FieldCommand::BackToController);
    shown.push_back(grid());
    port.written.clear();
    for (std::size_t step = shown.size() - 1; step > 0; --step) {
        dialog.onMenuCommand(MenuCommand::Undo);
        EXPECT_EQ(grid(), shown[step - 1]) << "undo to step " << step - 1;
    }
    for (std::size_t step = 1; step < shown.size(); ++step) {
        dialog.onMenuCommand(MenuCommand::Redo);
        EXPECT_EQ(grid(), shown[step]) << "redo to step " << step;
    }
    EXPECT_TRUE(port.written.empty());
}

// Each complete read is a snapshot; the history window's rows, their differences, a label and
// loading one into the grid.
TEST_F(Gains, TheHistoryShowsReadsComparesThemLabelsOneAndLoadsOne) {
    openQuietly();
    readBack(40);
    readBack(40); // the same read again is nothing new
    readBack(41);
    dialog.onMenuCommand(MenuCommand::History);
    EXPECT_EQ(view.historyShown, 1);
    HistoryBrowser& history = dialog.history();
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history.row(0).port, "COM1");
    EXPECT_EQ(history.row(1).differFromGrid, 1u);
    const std::size_t both[] = {0, 1};
    EXPECT_NE(history.differences(both, false).find("Pitch Level Coefficient: 41 in "), std::string::npos)
        << history.differences(both, false);
    view.textAnswer = "calm day";
    history.label(1);
    EXPECT_EQ(history.row(1).label, "calm day");
    view.textAnswer = "two\nlines";
    history.label(1);
    EXPECT_EQ(view.boxes.back().text, "The label was not kept.");
    history.loadIntoGrid(1);
    EXPECT_EQ(view.text(id::kPitchLevelCoef), "40");
    EXPECT_EQ(tint(id::kPitchLevelCoef), GainTint::Changed);
}

} // namespace
} // namespace tq37r::test
