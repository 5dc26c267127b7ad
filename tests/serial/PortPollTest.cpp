// Ports waited on in the caller's own poll: the notification rules kept without a thread, on
// every port open at once.
#include <array>
#include <chrono>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "serial/posix/PortPoll.h"
#include "tests/serial/PtyPeer.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::test {
namespace {

using namespace std::chrono_literals;
using Posts = std::vector<std::pair<SerialEvent, std::uint32_t>>;

struct RecordingSink : SerialEventSink {
    void postSerialEvent(SerialEvent event, std::uint32_t tag) override { posts.emplace_back(event, tag); }
    Posts posts;
};

TEST(PortPoll, AnnouncesInTheWaitOneRxUntilDrainedAndAHangUpOnce) {
    PtyPeer quiet, talking;
    PortPoll poll;
    PosixSerialPort first(poll.watcher()), second(poll.watcher());
    const ThreadIds before = threadIds();
    ASSERT_TRUE(first.open((quiet.portDir() / "COM1").string(), {115200}));
    ASSERT_TRUE(second.open((talking.portDir() / "COM1").string(), {115200}));
    EXPECT_EQ(threadIds(), before);
    RecordingSink sink;
    first.setNotifySink(&sink, 1);
    // Bytes that came before the sink are announced once it is set, on the port they came to.
    talking.write(Bytes{1, 2, 3});
    second.setNotifySink(&sink, 2);
    const auto waitUntil = [&](std::chrono::milliseconds left) {
        const auto until = std::chrono::steady_clock::now() + left;
        EXPECT_TRUE(poll.wait(until));
        return until;
    };
    waitUntil(5s);
    EXPECT_EQ(sink.posts, (Posts{{SerialEvent::RxReady, 2}}));

    // Outstanding until drained: more bytes bring no second announcement, and the wait sleeps
    // to its time rather than returning at once for bytes already told of.
    talking.write(Bytes{4});
    auto until = waitUntil(100ms);
    EXPECT_GE(std::chrono::steady_clock::now(), until);
    EXPECT_EQ(sink.posts.size(), 1u);
    // What a drain leaves is announced again without a byte arriving.
    std::array<std::uint8_t, 2> some{};
    second.read(some);
    second.rxDrained();
    waitUntil(5s);
    EXPECT_EQ(sink.posts.back(), std::pair(SerialEvent::RxReady, std::uint32_t{2}));

    // A hang-up is told once, drains and sinks set after it notwithstanding.
    quiet.closeMaster();
    waitUntil(5s);
    first.rxDrained();
    first.setNotifySink(&sink, 1);
    until = waitUntil(100ms);
    EXPECT_GE(std::chrono::steady_clock::now(), until) << "a hung-up port is polled no more";
    EXPECT_EQ(sink.posts,
              (Posts{{SerialEvent::RxReady, 2}, {SerialEvent::RxReady, 2}, {SerialEvent::HangUp, 1}}));
}

} // namespace
} // namespace tq37r::test
