// The real window and the real serial port against the real tq37r-sim process over a pty.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <filesystem>
#include <memory>

#include "core/BackgroundMenu.h"
#include "qt/EventLoopPortWatcher.h"
#include "qt/FlightSettingsWindow.h"
#include "qt/ModalHooks.h"
#include "qt/ParamWindow.h"
#include "sim/FlashFile.h"
#include "tests/sim/SimProcess.h"

namespace tq37r::e2e {
namespace {

using namespace std::chrono_literals;

class SimDialog : public ::testing::Test {
protected:
    void SetUp() override {
        // A port folder of this test's own, so COM1 is its simulator and never a real port.
        std::filesystem::create_directories(dir);
        ::setenv("TQ37R_PORT_DIR", dir.c_str(), 1);
        ModalHooks::setMessageBoxHook([](const MessageBoxRequest& request) {
            ADD_FAILURE() << "unexpected box: " << request.text << " " << request.detail;
            return MessageBoxAnswer::Ok;
        });
        window.show();
    }
    void TearDown() override {
        ModalHooks::setMessageBoxHook({});
        if (sim) {
            stopSim();
        }
        std::filesystem::remove_all(dir);
    }

    // The simulator at the window's default 19200 baud, its flash in this test's file, refusing a
    // second read that comes too soon as the controller does.
    void startSim(const char* reportMs = "100") {
        const std::vector<std::string> args{TQ37R_SIM_PATH, "--port", "COM1",        "--device-path",
                                            "--baud",       "19200",  "--flash",     flash.string(),
                                            "--report-ms",  reportMs, "--strict-gap"};
        sim = std::make_unique<testing::SimProcess>(args);
        ASSERT_FALSE(sim->readLine(5s).empty()) << "the simulator did not start";
    }
    void stopSim() {
        sim->signal(SIGTERM);
        EXPECT_EQ(sim->waitExit(5s), 0);
        sim.reset();
    }

    void click(int controlId) { QTest::mouseClick(window.button(controlId), Qt::LeftButton); }
    QString text(int controlId) const { return window.edit(controlId)->text(); }
    void type(int controlId, const char* value) {
        window.edit(controlId)->setText(QString::fromLatin1(value));
    }
    bool waitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 5000); }
    bool statusShows(const char* utf8) {
        return waitFor([&] { return text(id::kStatusLine) == QString::fromUtf8(utf8); });
    }

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tq37r-e2e-" + std::to_string(::getpid()));
    const std::filesystem::path flash = dir / "flash";
    std::unique_ptr<PosixSerialPort> port = makeWindowPort();
    ParamWindow window{*port};
    std::unique_ptr<testing::SimProcess> sim;
};

TEST_F(SimDialog, FirstOpenReadsTheFlashAndASavedRowSurvivesARestart) {
    sim::ControllerSettings settings;
    settings.gainBlock1[12] = 41; // pitch level
    settings.gainBlock2[3] = 42;  // X P, after the three Y gains
    ASSERT_TRUE(sim::FlashFile(flash).store(settings));
    startSim();
    click(id::kOpenClose);
    ASSERT_TRUE(waitFor([this] { return text(id::kPitchLevelCoef) == "41" && text(id::kXP) == "42"; }));
    EXPECT_TRUE(statusShows("Read TQ-36R OK！"));
    EXPECT_EQ(text(id::kHeadingLockingContinue), "45");

    type(id::kPitchLevelCoef, "40");
    click(id::kSetPitch);
    ASSERT_TRUE(statusShows("Pitch control set OK！"));
    click(id::kSaveConfiguration);
    ASSERT_TRUE(statusShows("Save configuration parameters success！"));

    click(id::kOpenClose);
    stopSim();
    startSim();
    click(id::kRestoreDefaults);
    click(id::kOpenClose);
    click(id::kRead);
    EXPECT_TRUE(waitFor([this] { return text(id::kPitchLevelCoef) == "40" && text(id::kXP) == "42"; }));
}

TEST_F(SimDialog, AnUnpluggedControllerClosesThePortAndItCanBeOpenedAgain) {
    startSim("20");
    click(id::kOpenClose);
    ASSERT_TRUE(waitFor([this] { return text(id::kPitchLevelCoef) == "35"; }));
    sim->signal(SIGUSR1);
    EXPECT_TRUE(waitFor([this] { return window.button(id::kOpenClose)->text() == "Open"; }));
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(sim->waitExit(5s), 0);
    sim.reset();

    startSim();
    click(id::kOpenClose);
    EXPECT_EQ(window.button(id::kOpenClose)->text(), "Close");
}

// Clicks the button a screen reader knows by that name.
void clickNamed(QWidget* window, const char* name) {
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->accessibleName() == QLatin1String(name)) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
    ADD_FAILURE() << "no button named " << name;
}

TEST_F(SimDialog, FlightSettingsReachTheRequestsOfTheHiddenControls) {
    startSim("50");
    click(id::kOpenClose);
    ASSERT_TRUE(waitFor([this] { return text(id::kPitchLevelCoef) == "35"; }));
    window.core().onMenuCommand(MenuCommand::FlightSettings);
    FlightSettingsWindow* flight = window.flightSettingsWindow();
    ASSERT_NE(flight, nullptr);

    flight->radius()->setText(QStringLiteral("120"));
    clickNamed(flight, "Set circling radius");
    flight->mixing()->setCurrentIndex(2);
    clickNamed(flight, "Set mixing mode");
    // What was set comes back from the controller, not from the window's own fields.
    flight->radius()->clear();
    flight->mixing()->setCurrentIndex(0);
    clickNamed(flight, "Read target altitude and circling radius");
    clickNamed(flight, "Read mixing mode");
    EXPECT_TRUE(waitFor([&] { return flight->radius()->text() == "120"; }));
    EXPECT_TRUE(waitFor([&] { return flight->mixing()->currentIndex() == 2; }));

    clickNamed(flight, "Run the gyro self-test");
    EXPECT_TRUE(waitFor([&] { return flight->gyroResult()->text().startsWith("X "); }));

    ModalHooks::setMessageBoxHook([](const MessageBoxRequest&) { return MessageBoxAnswer::Ok; });
    clickNamed(flight, "Flight mode automatic");
    EXPECT_TRUE(waitFor([&] { return flight->button(id::kFlightModeAuto)->text().endsWith("ON"); }));
}

} // namespace
} // namespace tq37r::e2e
