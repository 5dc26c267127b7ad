// The adapter vanishes while the simulator floods the line: the dialog must close the
// port by itself and leave no thread behind. Leaks are LSan's part, in the ASan build.
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "CountingDialog.h"
#include "ReliabilityEnv.h"
#include "device/Codes.h"
#include "protocol/FrameReceiver.h"
#include "protocol/TxFrame.h"
#include "tests/sim/SimProcess.h"
#include "ui/ModalHooks.h"

namespace tq37r::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kIdOpenClose = 1;
constexpr int kIdBaudList = 1032;

std::size_t threadCount() {
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
}

TEST(Unplug, WhileFloodingClosesThePortAndEndsTheWatcher) {
    std::vector<MessageBoxRequest> boxes;
    ModalHooks::setMessageBoxHook([&boxes](const MessageBoxRequest& request) { boxes.push_back(request); });
    TxFrame tx;
    FrameReceiver receiver;
    ParamProcessState state{tx, receiver};
    state.firstOpenRead = false;
    {
        CountingDialog dialog(state);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QTest::qWait(200);
        const std::size_t baseline = threadCount();

        tq37r::testing::SimProcess sim({TQ37R_SIM_PATH, "--flood", "--baud", "115200", "--port", "COM1"});
        ASSERT_TRUE(QTest::qWaitFor([] { return std::filesystem::exists(portDir() / "COM1"); }, 5000));
        dialog.combo(kIdBaudList)->setCurrentIndex(0); // 115200, the simulator's pace
        QTest::mouseClick(dialog.button(kIdOpenClose), Qt::LeftButton);
        ASSERT_EQ(dialog.button(kIdOpenClose)->text(), "Close") << "open failed";
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.decoded(code::kStateReport) > 100; }, 5000));
        EXPECT_GT(threadCount(), baseline) << "no watcher thread while open";

        const auto pulled = Clock::now();
        sim.signal(SIGUSR1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.port.isOpen(); }, 3000)) << "port still open";
        const auto closed = Clock::now();
        EXPECT_FALSE(state.portOpen);
        EXPECT_EQ(dialog.button(kIdOpenClose)->text(), "Open");
        EXPECT_TRUE(QTest::qWaitFor([&] { return threadCount() == baseline; }, 2000))
            << threadCount() << " threads, " << baseline << " before the open";
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(sim.waitExit(5s), 0);
        std::printf(
            "unplug during flood: port closed %.1f ms after the hang-up, %llu reports decoded before\n",
            std::chrono::duration<double, std::milli>(closed - pulled).count(),
            static_cast<unsigned long long>(dialog.decoded(code::kStateReport)));
    }
    ModalHooks::setMessageBoxHook({});
    std::filesystem::remove(portDir() / "COM1");
}

} // namespace
} // namespace tq37r::test
