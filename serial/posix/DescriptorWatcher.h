#pragma once

namespace tq37r {

class SerialNotifier;

// Who waits on an open port's descriptor and tells the notifier what it sees: bytes queued
// (when an announcement may be made) and hang-ups. By default a thread of the port's own
// (PosixWatcher); a view's event loop may do it on its own thread instead, which spares a
// reply one thread wake-up on its way to the screen, and a program that only waits for its
// ports does it in its own wait (PortPoll).
class DescriptorWatcher {
public:
    virtual ~DescriptorWatcher() = default;

    // Starts watching fd; 0, or the errno of the call that failed. fd stays open until stop().
    virtual int start(int fd, SerialNotifier& notifier) = 0;
    // Look at the input queue again: the reader drained, or a sink was set.
    virtual void wake() = 0;
    // Ends the watch; harmless when not watching.
    virtual void stop() = 0;
};

bool bytesQueued(int fd);
// What a watcher does when it looks at fd: announces bytes queued if the notifier allows it.
void announceIfQueued(int fd, SerialNotifier& notifier);

} // namespace tq37r
