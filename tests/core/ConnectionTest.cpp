// The Open/Close button, the first-open read, "open fail", hang-ups and the end of the run.
#include <fstream>

#include "DialogFixture.h"

namespace tq37r::test {
namespace {

using Connection = DialogFixture;

const Bytes kGainBlock1 = makeFrame(0xEB, Bytes(18, 7));
const Bytes kGainBlock2 = makeFrame(0xED, Bytes(6, 7));

TEST_F(Connection, OpenUsesTheChosenPortAndRateWhichTakesEffectAtTheNextOpen) {
    openQuietly();
    EXPECT_EQ(port.openedName, "COM1");
    EXPECT_EQ(port.openedWith.baudRate, 19200u);
    EXPECT_EQ(view.text(id::kOpenClose), "Close");

    view.setSelection(id::kBaudList, 2);
    click(id::kOpenClose);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(view.text(id::kOpenClose), "Open");
    click(id::kOpenClose);
    EXPECT_EQ(port.openedWith.baudRate, 56000u);
    view.type(id::kBaudList, "250000"); // a typed rate is taken as typed
    click(id::kOpenClose);
    click(id::kOpenClose);
    EXPECT_EQ(port.openedWith.baudRate, 250000u);
}

TEST_F(Connection, EveryOpenReadsTheGainsWithItsPausesUntilBothBlocksCameBack) {
    const auto opened = clock.now();
    click(id::kOpenClose);
    EXPECT_TRUE(port.written.empty()) << "nothing before the first pause";
    click(id::kRead); // the operator's Read waits behind the open's
    tick(900ms);
    std::vector<std::chrono::milliseconds> at;
    for (const auto when : port.writtenAt) {
        at.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(when - opened));
    }
    EXPECT_EQ(at, (std::vector<std::chrono::milliseconds>{300ms, 400ms, 700ms, 800ms, 800ms, 900ms}));
    EXPECT_EQ(takeSentCodes(), (std::vector<std::uint8_t>{0xEA, 0xEC, 0xEA, 0xEC, 0xEA, 0xEC}));

    // Nobody answered: the next open reads again.
    click(id::kOpenClose);
    click(id::kOpenClose);
    tick(800ms);
    EXPECT_EQ(takeSentCodes().size(), 4u);
    reply(kGainBlock1);
    click(id::kOpenClose);
    click(id::kOpenClose);
    tick(800ms);
    EXPECT_EQ(takeSentCodes().size(), 4u) << "one block is not all the gains";
    reply(kGainBlock2);
    click(id::kOpenClose);
    click(id::kOpenClose);
    tick(800ms);
    EXPECT_TRUE(takeSentCodes().empty());
}

TEST_F(Connection, OpenFailSaysWhyTitledWithTheListsText) {
    view.setSelection(id::kPortList, 1); // COM2: not present
    click(id::kOpenClose);
    view.type(id::kPortList, "COM1"); // typed text selects nothing
    click(id::kOpenClose);
    view.setSelection(id::kPortList, 0);
    view.type(id::kBaudList, "fast");
    click(id::kOpenClose);
    view.setSelection(id::kBaudList, 4);
    port.failure = OpenFailure::InUse;
    click(id::kOpenClose);

    ASSERT_EQ(view.boxes.size(), 4u);
    const std::pair<std::string, std::string> expected[] = {
        {"COM2", "No such device (COM2 is not present)"},
        {"COM1", "Choose a port from the list"},
        {"COM1", "The baud rate must be a positive whole number"},
        {"COM1", "In use by another program"},
    };
    for (std::size_t i = 0; i < view.boxes.size(); ++i) {
        EXPECT_EQ(view.boxes[i].text, "open fail");
        EXPECT_EQ(view.boxes[i].title, expected[i].first);
        EXPECT_EQ(view.boxes[i].detail, expected[i].second);
    }
    EXPECT_EQ(view.text(id::kOpenClose), "Open");
    tick(1s);
    EXPECT_TRUE(port.written.empty());
}

TEST_F(Connection, HangUpClosesThePortAndAnEarlierOpensNotificationsAreIgnored) {
    openQuietly();
    const std::uint32_t firstTag = port.sinkTag;
    dialog.onSerialHangUp(firstTag);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(dialog.lineLog().at(dialog.lineLog().size() - 2).kind, LineLog::Kind::HungUp);
    EXPECT_EQ(view.text(id::kOpenClose), "Open");

    click(id::kOpenClose);
    ASSERT_TRUE(port.isOpen());
    port.input.assign(kGainBlock2.begin(), kGainBlock2.end());
    dialog.onSerialRx(firstTag);
    dialog.onSerialHangUp(firstTag);
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(view.text(id::kYP), "0") << "a late notification of the closed open drained nothing";
    dialog.onSerialRx(port.sinkTag);
    EXPECT_EQ(view.text(id::kYP), "7");
}

TEST_F(Connection, PortListToolTipAgreesWithWhatOpenDoes) {
    EXPECT_EQ(view.toolTips[id::kPortList], "COM1 is /dev/fake/COM1");
    view.setSelection(id::kPortList, 2);
    dialog.onPortListChanged();
    EXPECT_EQ(view.toolTips[id::kPortList], "COM3 is not present on this machine");
    port.present.insert("COM12");
    view.type(id::kPortList, "COM12");
    dialog.onPortListChanged();
    EXPECT_EQ(view.toolTips[id::kPortList],
              "\"COM12\" is typed text: only a name picked from the list can be opened");
}

TEST_F(Connection, FindControllerTriesEachPortAtEachRateAndSelectsWhereItAnswered) {
    port.present = {"COM1", "COM3", "COM5"}; // COM1 and COM5 say nothing; COM2 is not there
    port.siblingPeer = [](FakePort& line, const Bytes& request) {
        if (line.openedName == "COM3" && line.openedWith.baudRate == 57600 && request[3] == 0xEA) {
            line.input.insert(line.input.end(), kGainBlock1.begin(), kGainBlock1.end());
        }
    };
    bool cancel = false;
    view.whileProgressIsUp = [&] {
        for (const auto& [event, tag] : std::exchange(sink.posted, {})) {
            dialog.onSerialRx(tag);
        }
        tick(10ms);
        return cancel;
    };
    view.setSelection(id::kBaudList, 4);
    dialog.onMenuCommand(MenuCommand::FindController);
    EXPECT_EQ(status(), "Controller found on COM3 at 57600.");
    EXPECT_EQ(view.selection(id::kPortList), 2);
    EXPECT_EQ(view.selection(id::kBaudList), 1);
    EXPECT_FALSE(port.isOpen()) << "the operator opens it";
    EXPECT_EQ(view.text(id::kOpenClose), "Open");
    EXPECT_EQ(view.text(id::kPitchLevelCoef), "0") << "what the search hears is not for the grid";
    EXPECT_EQ(takeSentCodes(), std::vector<std::uint8_t>(6, 0xEA))
        << "the three ports at once at two rates, and no more once one answered";
    EXPECT_EQ(view.progressSteps.back(),
              (std::pair<int, std::string>{5, "Trying COM1 at 57600, COM3 at 57600, COM5 at 57600…"}));

    port.siblingPeer = nullptr;
    dialog.onMenuCommand(MenuCommand::FindController);
    EXPECT_EQ(status(), "No controller answered.");
    cancel = true;
    dialog.onMenuCommand(MenuCommand::FindController);
    EXPECT_EQ(status(), "The search for the controller was cancelled.");
    EXPECT_FALSE(port.isOpen());

    openQuietly();
    port.written.clear();
    dialog.onMenuCommand(MenuCommand::FindController);
    EXPECT_EQ(status(), "Close the port first: the search opens each port itself.");
    EXPECT_TRUE(port.written.empty());
}

// The port and rate that opened last, and the gain files' folder, are there at the next start;
// a damaged settings file starts the tool as ever.
TEST_F(Connection, TheLastLineAndFolderAreRememberedAndADamagedFileForgotten) {
    port.present.insert("COM4");
    view.setSelection(id::kPortList, 3);
    view.setSelection(id::kBaudList, 1);
    click(id::kOpenClose);
    view.chosenFile = (dataFolder / "tunings" / "plane.gains").string();
    dialog.onMenuCommand(MenuCommand::CompareWithFile);
    {
        FakeView again;
        ParamDialog restarted(again, clock, port, sink, {}, dataFolder);
        restarted.OnInitDialog();
        EXPECT_EQ(again.text(id::kPortList), "COM4");
        EXPECT_EQ(again.text(id::kBaudList), "57600");
        again.chosenFile = "";
        restarted.onMenuCommand(MenuCommand::LoadGains);
        EXPECT_EQ(again.startedIn, (dataFolder / "tunings").string());
    }
    std::ofstream(dataFolder / "settings.ini", std::ios::binary) << "port\x00 = COM\xff\nbaud = fast\n";
    FakeView damaged;
    ParamDialog restarted(damaged, clock, port, sink, {}, dataFolder);
    restarted.OnInitDialog();
    EXPECT_EQ(damaged.text(id::kPortList), "COM1");
    EXPECT_EQ(damaged.text(id::kBaudList), "19200");
}

} // namespace
} // namespace tq37r::test
