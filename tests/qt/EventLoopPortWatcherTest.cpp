// The port watched from the GUI thread's event loop, against a pty peer: the watcher's rules.
#include <QCoreApplication>
#include <QEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

#include "protocol/FrameIo.h"
#include "qt/EventLoopPortWatcher.h"
#include "tests/serial/PtyPeer.h"

namespace tq37r::test {
namespace {

// Counts the notifier's activations: one left on would repeat them while its condition lasts.
struct ActivationCount : QObject {
    ActivationCount() { QCoreApplication::instance()->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::SockAct ? 1 : 0;
        return false;
    }
    int count = 0;
};

struct EventLoopPort : ::testing::Test, SerialEventSink {
    void SetUp() override { ASSERT_TRUE(port->open("COM1", {.baudRate = 115200})); }
    void postSerialEvent(SerialEvent event, std::uint32_t) override { events.push_back(event); }

    PtyPeer peer;
    std::unique_ptr<PosixSerialPort> port = makeWindowPort();
    std::vector<SerialEvent> events;
};

// Bytes queued before the sink are announced when it is set; what a drain leaves is
// announced again, nothing once the queue is empty, and a hang-up once.
TEST_F(EventLoopPort, AnnouncesOneDrainAtATimeAndAHangUpOnceWithoutKeepingTheLoopBusy) {
    peer.write(std::vector<std::uint8_t>(300, 0x55));
    ASSERT_TRUE(QTest::qWaitFor([&] { return port->queuedInput() == 300u; }, 5000));
    // Bytes queued and nobody to tell, then one announcement outstanding: no busy loop.
    for (const bool told : {false, true}) {
        port->setNotifySink(told ? this : nullptr, 1);
        ActivationCount activations;
        QTest::qWait(100);
        EXPECT_EQ(events.size(), told ? 1u : 0u);
        EXPECT_LE(activations.count, 1);
    }
    FrameReceiver receiver;
    auto noFrame = [](std::span<const std::uint8_t>) { ADD_FAILURE(); };
    drainPort(*port, receiver, noFrame);
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() == 2; }, 5000));
    drainPort(*port, receiver, noFrame);
    QTest::qWait(50);
    EXPECT_EQ(events, std::vector<SerialEvent>(2, SerialEvent::RxReady));

    peer.closeMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() == 3; }, 5000));
    ActivationCount activations;
    port->rxDrained();
    port->setNotifySink(this, 1);
    QTest::qWait(100);
    EXPECT_EQ(events, (std::vector{SerialEvent::RxReady, SerialEvent::RxReady, SerialEvent::HangUp}));
    EXPECT_LE(activations.count, 1);

    // The next line is watched afresh: what a drain leaves of it is announced again too.
    PtyPeer next;
    ASSERT_TRUE(port->open("COM1", {.baudRate = 115200}));
    events.clear();
    port->setNotifySink(this, 2);
    next.write(std::vector<std::uint8_t>(300, 0x55));
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() == 1; }, 5000));
    drainPort(*port, receiver, noFrame);
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.size() == 2; }, 5000));
}

} // namespace
} // namespace tq37r::test
