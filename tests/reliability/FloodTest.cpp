// The simulator floods the line with state reports at 115200 baud while the real
// dialog reads it; a line tap between them counts every frame that reached the tool.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "CountingDialog.h"
#include "LineTap.h"
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
constexpr int kIdSetPitch = 1037;
constexpr int kIdBaudList = 1032;
constexpr int kIdStatusLine = 1027;
constexpr auto kFloodTime = 6s;

std::chrono::nanoseconds processCpu() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto toNs = [](const timeval& t) {
        return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
    };
    return toNs(usage.ru_utime) + toNs(usage.ru_stime);
}

double ms(std::chrono::nanoseconds d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

class Flood : public ::testing::Test {
protected:
    void SetUp() override {
        ModalHooks::setMessageBoxHook([this](const MessageBoxRequest& request) { boxes.push_back(request); });
        sim = std::make_unique<tq37r::testing::SimProcess>(std::vector<std::string>{
            TQ37R_SIM_PATH, "--flood", "--baud", "115200", "--device-path", "--stats", "--seed", "37"});
        const std::string line = sim->readLine(5s);
        ASSERT_FALSE(line.empty()) << "the simulator did not report its line";
        tap = std::make_unique<LineTap>(line);
        tap->linkAs(portDir(), "COM1");
        state.firstOpenRead = false;
        dialog = std::make_unique<CountingDialog>(state);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    void TearDown() override {
        dialog.reset();
        tap.reset();
        sim.reset();
        ModalHooks::setMessageBoxHook({});
        std::filesystem::remove(portDir() / "COM1");
    }

    TxFrame tx;
    FrameReceiver receiver;
    ParamProcessState state{tx, receiver};
    std::unique_ptr<tq37r::testing::SimProcess> sim;
    std::unique_ptr<LineTap> tap;
    std::unique_ptr<CountingDialog> dialog;
    std::vector<MessageBoxRequest> boxes;
};

TEST_F(Flood, EveryReportIsDecodedAndASetGoesOutPromptly) {
    const auto cpuBefore = processCpu();
    const auto tapCpuBefore = tap->cpuTime();
    const auto start = Clock::now();
    dialog->combo(kIdBaudList)->setCurrentIndex(0); // 115200, the simulator's pace
    QTest::mouseClick(dialog->button(kIdOpenClose), Qt::LeftButton);
    ASSERT_EQ(dialog->button(kIdOpenClose)->text(), "Close") << "open failed";
    ASSERT_TRUE(boxes.empty());
    tap->startPassing();

    QTest::qWait(2000);
    ASSERT_GT(dialog->decoded(code::kStateReport), 0u) << "no state report reached the dialog";

    // The operator presses Pitch "Set" in the middle of the flood.
    const auto clicked = Clock::now();
    QTest::mouseClick(dialog->button(kIdSetPitch), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tap->requestSeen(code::kSetPitchGains).has_value(); }, 3000))
        << "the Set request never reached the line";
    const auto onWire = *tap->requestSeen(code::kSetPitchGains);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return dialog->edit(kIdStatusLine)->text() == QString::fromUtf8("Pitch control set OK！"); },
        3000))
        << "the acknowledgement was not shown";
    const auto acknowledged = Clock::now();

    QTest::qWait(static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(kFloodTime - (Clock::now() - start)).count()));
    const auto elapsed = Clock::now() - start;
    const auto toolCpu = (processCpu() - cpuBefore) - (tap->cpuTime() - tapCpuBefore);

    // Freeze the simulator and let the tap read all it wrote: ending it while bytes still sit
    // in its pty would throw them away with the hang-up. It takes the pending SIGTERM as soon
    // as it runs again, normally before writing anything more.
    sim->signal(SIGSTOP);
    for (std::uint64_t before = ~0ull; before != tap->framesFromSimulator();) {
        before = tap->framesFromSimulator();
        QTest::qWait(300);
    }
    sim->signal(SIGTERM);
    sim->signal(SIGCONT);
    ASSERT_EQ(sim->waitExit(5s), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tap->simulatorGone(); }, 3000));
    // Then give the dialog time to catch up; the counts are compared below.
    static_cast<void>(QTest::qWaitFor([&] { return dialog->decoded() == tap->framesToTool(); }, 3000));
    QTest::qWait(300);
    auto stats = sim->stats();

    const std::uint64_t simReports = stats["frames-sent F1"];
    const std::uint64_t simFrames =
        simReports + stats["frames-sent F2"] + stats["frames-sent F3"] + stats["frames-sent FA"];
    const std::uint64_t wireReports = tap->framesToTool(code::kStateReport);
    const std::uint64_t readFromSim = tap->framesFromSimulator();
    std::printf("flood %.1f s at 115200 baud: simulator queued %llu frames (%llu state reports), wrote %llu; "
                "%llu passed to the tool after it opened, dialog decoded %llu (%llu state reports)\n",
                std::chrono::duration<double>(elapsed).count(), static_cast<unsigned long long>(simFrames),
                static_cast<unsigned long long>(simReports), static_cast<unsigned long long>(readFromSim),
                static_cast<unsigned long long>(tap->framesToTool()),
                static_cast<unsigned long long>(dialog->decoded()),
                static_cast<unsigned long long>(dialog->decoded(code::kStateReport)));
    std::printf(
        "Set during flood: click to request on the wire %.2f ms, click to acknowledgement shown %.2f ms\n",
        ms(onWire - clicked), ms(acknowledged - clicked));
    std::printf("tool CPU during flood: %.3f s in %.1f s (%.1f%% of one core)\n",
                std::chrono::duration<double>(toolCpu).count(),
                std::chrono::duration<double>(elapsed).count(),
                100.0 * std::chrono::duration<double>(toolCpu).count() /
                    std::chrono::duration<double>(elapsed).count());

    // Not one frame that crossed the line was lost or counted twice, whatever its code.
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(dialog->decoded(static_cast<std::uint8_t>(c)),
                  tap->framesToTool(static_cast<std::uint8_t>(c)))
            << "reply code " << c;
    }
    // A real flood: at 10 bits a byte and 9 bytes a report, the line carries about 1280
    // reports a second; ask for far fewer so that a busy machine still passes.
    EXPECT_GT(wireReports, 1000u);
    // What the simulator counts as sent but the tap never read can only be the batch it had
    // queued when it was frozen (a report with at most two telemetry frames) and, had it been
    // frozen just before a write, one more batch lost with the hang-up.
    EXPECT_LE(readFromSim, simFrames);
    EXPECT_LE(simFrames - readFromSim, 6u);
    EXPECT_LE(tap->framesToTool(), readFromSim);
    EXPECT_EQ(stats["requests-received E4"], 1u);
    // Generous bound: the figure itself is printed above.
    EXPECT_LT(onWire - clicked, 1s);
}

} // namespace
} // namespace tq37r::test
