#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <iterator>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "tests/win32/RemotePtyPeer.h"

namespace tq37r {
namespace {

using namespace std::chrono_literals;

using ThreadIds = std::set<DWORD>;

ThreadIds threadIds() {
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    ThreadIds ids;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) {
            ids.insert(entry.th32ThreadID);
        }
    }
    ::CloseHandle(snapshot);
    return ids;
}

// The threads that came with the open: the watcher, and at times a short-lived one of Wine's.
ThreadIds startedSince(const ThreadIds& before) {
    ThreadIds started;
    std::ranges::set_difference(threadIds(), before, std::inserter(started, started.end()));
    return started;
}

// Which of these threads still run.
ThreadIds stillRunning(const ThreadIds& threads) {
    ThreadIds running;
    std::ranges::set_intersection(threadIds(), threads, std::inserter(running, running.end()));
    return running;
}

TEST(Win32Watcher, CloseEndsThePendingWaitAndJoinsTheWatcher) {
    test::PtyPeer peer;
    Win32SerialPort port;
    const ThreadIds before = threadIds();
    ASSERT_TRUE(port.open("COM1", {}));
    const ThreadIds watcher = startedSince(before);
    ASSERT_FALSE(watcher.empty());
    std::this_thread::sleep_for(50ms); // let it settle into WaitCommEvent
    std::promise<void> closed;
    std::thread closer([&] {
        port.close();
        closed.set_value();
    });
    const bool prompt = closed.get_future().wait_for(2s) == std::future_status::ready;
    peer.closeMaster(); // fails a wait that close failed to end, so a failure is no hang
    closer.join();
    EXPECT_TRUE(prompt);
    EXPECT_EQ(stillRunning(watcher), ThreadIds{});
}

// The adapter goes away before any sink is set: the watcher ends, and the sink hears of it once.
TEST(Win32Watcher, AVanishedDeviceEndsTheWatcherAndIsPostedOnceWhenTheSinkIsSet) {
    test::PtyPeer peer;
    test::EventQueue sink;
    Win32SerialPort port;
    const ThreadIds before = threadIds();
    ASSERT_TRUE(port.open("COM1", {}));
    const ThreadIds watcher = startedSince(before);
    ASSERT_FALSE(watcher.empty());
    peer.closeMaster();
    ASSERT_TRUE(test::eventually([&] { return stillRunning(watcher).empty(); }));
    port.setNotifySink(&sink, 1);
    EXPECT_EQ(sink.take(0ms), SerialEvent::HangUp);
    port.rxDrained();
    port.setNotifySink(&sink, 1);
    EXPECT_EQ(sink.take(200ms), std::nullopt);
}

} // namespace
} // namespace tq37r
