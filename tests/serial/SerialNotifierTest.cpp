#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "serial/SerialNotifier.h"

namespace tq37r {
namespace {

using Posts = std::vector<std::pair<SerialEvent, std::uint32_t>>;

struct RecordingSink : SerialEventSink {
    void postSerialEvent(SerialEvent event, std::uint32_t tag) override { posts.emplace_back(event, tag); }
    Posts posts;
};

// Driven the way the watcher and the reader drive it, one step at a time on this thread.
TEST(SerialNotifier, AnnouncesOneRxAtATimeAndAHangUpOnce) {
    RecordingSink sink;
    SerialNotifier notifier;

    // No sink: nothing is posted and nothing stays outstanding; a hang-up is held.
    notifier.announceRx();
    EXPECT_TRUE(notifier.mayAnnounce());
    notifier.announceHangUp();
    EXPECT_TRUE(sink.posts.empty());
    notifier.setSink(&sink, 7);
    notifier.setSink(&sink, 7);
    EXPECT_EQ(sink.posts, (Posts{{SerialEvent::HangUp, 7}}));

    // A new open forgets a hang-up held for want of a sink.
    notifier.setSink(nullptr, 7);
    notifier.announceHangUp();
    notifier.reset();
    notifier.setSink(&sink, 7);

    // One RxReady until the reader has drained.
    notifier.announceRx();
    EXPECT_FALSE(notifier.mayAnnounce());
    notifier.setSink(&sink, 7); // the same sink again still owes the drain
    EXPECT_FALSE(notifier.mayAnnounce());
    notifier.drained();
    EXPECT_TRUE(notifier.mayAnnounce());

    // Outstanding with another tag: the new one would never drain it.
    notifier.announceRx();
    notifier.setSink(&sink, 8);
    EXPECT_TRUE(notifier.mayAnnounce());
    notifier.announceRx();
    notifier.announceHangUp();
    EXPECT_EQ(sink.posts, (Posts{{SerialEvent::HangUp, 7},
                                 {SerialEvent::RxReady, 7},
                                 {SerialEvent::RxReady, 7},
                                 {SerialEvent::RxReady, 8},
                                 {SerialEvent::HangUp, 8}}));
}

} // namespace
} // namespace tq37r
