#include <chrono>
#include <filesystem>
#include <future>
#include <iterator>
#include <thread>

#include <gtest/gtest.h>

#include "serial/posix/PosixSerialPort.h"
#include "tests/serial/PtyPeer.h"

namespace tq37r {
namespace {

using namespace std::chrono_literals;

// A thread is started and joined first: a sanitizer's runtime starts a helper thread of its
// own with the process's first, which must not count as the watcher.
std::ptrdiff_t threadCount() {
    static const bool warmedUp = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)warmedUp;
    return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                         std::filesystem::directory_iterator{});
}

TEST(PosixWatcher, CloseWakesTheBlockedWatcherAndJoinsIt) {
    test::PtyPeer peer;
    PosixSerialPort port;
    const auto threads = threadCount();
    ASSERT_TRUE(port.open("COM1", {}));
    EXPECT_EQ(threadCount(), threads + 1);
    std::this_thread::sleep_for(50ms); // let it settle into its wait
    std::promise<void> closed;
    std::thread closer([&] {
        port.close();
        closed.set_value();
    });
    const bool prompt = closed.get_future().wait_for(2s) == std::future_status::ready;
    peer.closeMaster(); // wakes a watcher that close failed to wake, so a failure is no hang
    closer.join();
    EXPECT_TRUE(prompt);
    EXPECT_EQ(threadCount(), threads);
}

// The hang-up comes before any sink is set: the watcher ends, and the sink hears of it once.
TEST(PosixWatcher, PeerHangUpEndsTheWatcherAndIsPostedOnceWhenTheSinkIsSet) {
    test::PtyPeer peer;
    test::EventQueue sink;
    PosixSerialPort port;
    const auto threads = threadCount();
    ASSERT_TRUE(port.open("COM1", {}));
    peer.closeMaster();
    ASSERT_TRUE(test::eventually([&] { return threadCount() == threads; }));
    port.setNotifySink(&sink, 1);
    EXPECT_EQ(sink.take(0ms), SerialEvent::HangUp);
    // Drains and sinks set until the reader closes bring no second post.
    port.rxDrained();
    port.setNotifySink(&sink, 1);
    EXPECT_EQ(sink.take(200ms), std::nullopt);
}

} // namespace
} // namespace tq37r
