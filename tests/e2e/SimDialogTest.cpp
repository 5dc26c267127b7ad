#include <QElapsedTimer>

#include <cstdio>

#include "SimDialogFixture.h"
#include "sim/FlashFile.h"

namespace tq37r::e2e {
namespace {

// Gains in the simulator's flash that differ from every default, in the order of kGainEdits.
const std::vector<int> kFlashGains{41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51,
                                   52, 53, 54, 55, 56, 57, 58, 59, 60, 61};

void writeFlash(const std::filesystem::path& file, const std::vector<int>& gains) {
    sim::ControllerSettings settings;
    // kGainEdits order is Pitch, Roll, Heading, Other, X, Y, Height; the flash keeps the read-back order.
    const auto g = [&gains](std::size_t i) { return static_cast<std::uint8_t>(gains[i]); };
    settings.gainBlock1 = {g(9), g(10), g(11), g(18), g(19), g(20), 7,    7,    7,
                           g(6), g(7),  g(8),  g(0),  g(1),  g(2),  g(3), g(4), g(5)};
    settings.gainBlock2 = {g(15), g(16), g(17), g(12), g(13), g(14)};
    ASSERT_TRUE(sim::FlashFile(file).store(settings));
}

using SimDialog = SimDialogFixture;

TEST_F(SimDialog, OpenAndFirstReadFillTheGridWithTheControllersValues) {
    writeFlash(flash, kFlashGains);
    startSim();
    openPort();
    EXPECT_TRUE(waitFor([this] { return grid() == kFlashGains; })) << text(1041).toStdString();
    EXPECT_EQ(statusText(), "Read TQ-36R OK！");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SimDialog, SavedRowSurvivesARestartOfTheController) {
    startSim();
    openPort();
    ASSERT_TRUE(waitFor([this] { return text(1041) == "35"; }));

    setText(1041, 40);
    setText(1042, 2);
    setText(1043, 33);
    click(1037);
    ASSERT_TRUE(waitFor([this] { return statusText() == "Pitch control set OK！"; }));
    click(1017);
    ASSERT_TRUE(waitFor([this] { return statusText() == "Save configuration parameters success！"; }));
    // Set but never written: gone after the restart.
    setText(1064, 90);
    click(1067);
    ASSERT_TRUE(waitFor([this] { return statusText() == "Height control set OK！"; }));

    click(1); // close
    ASSERT_EQ(caption(1), "Open");
    stopSim();
    startSim();
    click(1035); // Restore Default Parameters: the grid shows 35 / 0 / 30 again
    ASSERT_EQ(text(1041), "35");
    openPort();
    click(1029);
    EXPECT_TRUE(waitFor([this] { return text(1041) == "40" && text(1042) == "2" && text(1043) == "33"; }));
    EXPECT_EQ(text(1064), "15");
    EXPECT_EQ(statusText(), "Read TQ-36R OK！");
}

TEST_F(SimDialog, FirmwareVersionShowsTheControllersText) {
    startSim({"--firmware-model", "36", "--firmware-version", "2.05"});
    openPort();
    click(1068);
    EXPECT_TRUE(waitFor([this] { return statusText() == "TQ-36 Firmware version: 2.05"; }))
        << statusText().toStdString();
    // It stays for the operator to read, not replaced by the acknowledgement that came with it.
    QTest::qWait(1000);
    EXPECT_EQ(statusText(), "TQ-36 Firmware version: 2.05");
}

TEST_F(SimDialog, ModeIndicatorsFollowTheControllersReports) {
    startSim();
    openPort();
    // The controller starts in remote control with no task.
    EXPECT_TRUE(waitFor([this] { return caption(1024) == "取消ON"; }));
    EXPECT_EQ(caption(1018), "遥控ON");
    EXPECT_EQ(caption(1021), "返航OFF");

    click(1020); // automatic
    click(1023); // take-off
    EXPECT_TRUE(waitFor([this] { return caption(1020) == "自动ON" && caption(1023) == "起飞ON"; }));
    EXPECT_EQ(caption(1018), "遥控OFF");
    EXPECT_EQ(caption(1019), "增稳OFF");
    EXPECT_EQ(caption(1021), "返航OFF");
    EXPECT_EQ(caption(1022), "盘旋OFF");
    EXPECT_EQ(caption(1024), "取消OFF");

    click(1019); // stabilised
    click(1021); // return
    EXPECT_TRUE(waitFor([this] { return caption(1019) == "增稳ON" && caption(1021) == "返航ON"; }));
    EXPECT_EQ(caption(1020), "自动OFF");
    EXPECT_EQ(caption(1023), "起飞OFF");
}

TEST_F(SimDialog, OnANoisyLineEveryIntactFrameTakesEffect) {
    // No state reports, so the seed alone decides which frames are spoiled.
    startSim({"--noise", "0.5", "--corrupt", "0.3", "--seed", "5", "--report-ms", "0"});
    openPort();
    struct Row {
        int setButton;
        std::array<int, 3> edits;
        const char* acknowledgement;
    };
    const std::array<Row, 7> rows{{{1037, {1041, 1042, 1043}, "Pitch control set OK！"},
                                   {1047, {1044, 1045, 1046}, "Roll control set OK！"},
                                   {1051, {1048, 1049, 1050}, "Heading control set OK！"},
                                   {1055, {1052, 1053, 1054}, "Other control set OK！"},
                                   {1062, {1056, 1057, 1058}, "X PID set OK！"},
                                   {1063, {1059, 1060, 1061}, "Y PID set OK！"},
                                   {1067, {1064, 1065, 1066}, "Height control set OK！"}}};
    const int rounds = 4;
    std::uint64_t shown = 0;
    for (int round = 0; round < rounds; ++round) {
        for (const Row& row : rows) {
            for (std::size_t i = 0; i < row.edits.size(); ++i) {
                setText(row.edits[i], 10 + round * 30 + row.setButton % 100 + static_cast<int>(i));
            }
            dialog->edit(1027)->clear();
            click(row.setButton);
            // A spoiled acknowledgement never shows; an intact one shows well within this.
            shown += waitFor([&] { return statusText() == row.acknowledgement; }, 3000ms) ? 1 : 0;
        }
    }
    const std::vector<int> expected = grid();

    // The controller took every Set; Read until an intact pair of read-backs refills the grid.
    click(1035);
    ASSERT_NE(grid(), expected);
    bool refilled = false;
    for (int attempt = 0; attempt < 10 && !refilled; ++attempt) {
        click(1029);
        refilled = waitFor([&] { return grid() == expected; }, 1500ms);
    }
    EXPECT_TRUE(refilled);

    auto stats = stopSim();
    EXPECT_EQ(stats["requests-received E4"], static_cast<std::uint64_t>(rounds));
    EXPECT_EQ(stats["requests-received E1"], static_cast<std::uint64_t>(rounds));
    EXPECT_GT(stats["noise-bytes"], 0u);
    EXPECT_GT(stats["frames-corrupted FA"], 0u);
    EXPECT_EQ(stats["frames-sent FA"] + stats["frames-corrupted FA"], rows.size() * rounds);
    EXPECT_EQ(shown, stats["frames-sent FA"]);
    std::printf("acknowledgements: %llu intact and shown, %llu spoiled\n",
                static_cast<unsigned long long>(shown),
                static_cast<unsigned long long>(stats["frames-corrupted FA"]));
}

TEST_F(SimDialog, UnpluggedControllerReturnsTheButtonToOpen) {
    startSim({"--report-ms", "20"});
    openPort();
    ASSERT_TRUE(waitFor([this] { return text(1041) == "35"; }));

    QElapsedTimer timer;
    timer.start();
    sim->signal(SIGUSR1);
    EXPECT_TRUE(waitFor([this] { return caption(1) == "Open"; }));
    std::printf("hang-up noticed after %lld ms\n", static_cast<long long>(timer.elapsed()));
    EXPECT_FALSE(dialog->port.isOpen());
    EXPECT_FALSE(dialog->port.running.load());
    EXPECT_EQ(sim->waitExit(5s), 0);
    sim.reset();

    // Plugged in again: the same dialog opens and reads.
    startSim();
    click(1035);
    setText(1041, 0);
    openPort();
    click(1029);
    EXPECT_TRUE(waitFor([this] { return text(1041) == "35"; }));

    // The watcher ends promptly when the window goes away.
    timer.restart();
    dialog.reset();
    EXPECT_LT(timer.elapsed(), 2000);
}

} // namespace
} // namespace tq37r::e2e
