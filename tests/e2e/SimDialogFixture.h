#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../sim/SimProcess.h"
#include "protocol/FrameReceiver.h"
#include "protocol/TxFrame.h"
#include "tests/support/SuitePortDir.h"
#include "ui/ModalHooks.h"
#include "ui/ParamDialog.h"

namespace tq37r::e2e {

using namespace std::chrono_literals;

using suite::portDir;

// The 21 gain edits, in id order.
inline constexpr std::array<int, 21> kGainEdits{1041, 1042, 1043, 1044, 1045, 1046, 1048,
                                                1049, 1050, 1052, 1053, 1054, 1056, 1057,
                                                1058, 1059, 1060, 1061, 1064, 1065, 1066};

// The real dialog with its own process state, and the real tq37r-sim on COM1.
class SimDialogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        flash = portDir() /
                (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".flash");
        std::filesystem::remove(flash);
        ModalHooks::setMessageBoxHook([this](const MessageBoxRequest& request) { boxes.push_back(request); });
        dialog = std::make_unique<ParamDialog>(state);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    void TearDown() override {
        dialog.reset();
        ModalHooks::setMessageBoxHook({});
        if (sim) {
            stopSim();
        }
        std::filesystem::remove(flash);
    }

    // Starts the simulator at the dialog's default 19200 baud, keeping its flash in this test's file.
    void startSim(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args{TQ37R_SIM_PATH, "--port", "COM1", "--device-path", "--stats"};
        args.insert(args.end(), {"--baud", "19200", "--flash", flash.string()});
        // Each option may be given once: a test's own report period replaces the default one.
        if (std::find(extra.begin(), extra.end(), "--report-ms") == extra.end()) {
            args.insert(args.end(), {"--report-ms", "100"});
        }
        args.insert(args.end(), extra.begin(), extra.end());
        sim = std::make_unique<testing::SimProcess>(args);
        ASSERT_FALSE(sim->readLine(5s).empty()) << "the simulator did not start";
    }

    // Ends the simulator (SIGTERM) and returns its counters.
    std::map<std::string, std::uint64_t> stopSim() {
        sim->signal(SIGTERM);
        EXPECT_EQ(sim->waitExit(5s), 0);
        auto stats = sim->stats();
        sim.reset();
        return stats;
    }

    void click(int id) {
        QPushButton* target = dialog->button(id);
        if (target->isVisible()) {
            QTest::mouseClick(target, Qt::LeftButton);
        } else {
            target->click(); // hidden controls cannot be clicked with the mouse
        }
    }

    QString text(int id) const { return dialog->edit(id)->text(); }
    QString caption(int id) const { return dialog->button(id)->text(); }
    QString statusText() const { return text(1027); }
    void setText(int id, int value) { dialog->edit(id)->setText(QString::number(value)); }

    std::vector<int> grid() const {
        std::vector<int> values;
        for (int id : kGainEdits) {
            values.push_back(text(id).toInt());
        }
        return values;
    }

    bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s) {
        return QTest::qWaitFor(condition, static_cast<int>(timeout.count()));
    }

    void openPort() {
        click(1);
        ASSERT_EQ(caption(1), "Close") << "open failed";
    }

    std::filesystem::path flash;
    TxFrame tx;
    FrameReceiver receiver;
    ParamProcessState state{tx, receiver};
    std::unique_ptr<ParamDialog> dialog;
    std::unique_ptr<testing::SimProcess> sim;
    std::vector<MessageBoxRequest> boxes;
};

} // namespace tq37r::e2e
