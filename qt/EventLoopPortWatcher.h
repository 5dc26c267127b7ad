#pragma once

#include <QSocketNotifier>

#include <memory>

#include "serial/posix/DescriptorWatcher.h"
#include "serial/posix/PosixSerialPort.h"

namespace tq37r {

// Waits on the port's descriptor in the GUI thread's event loop, so that a reply wakes one
// thread, not a watcher thread and then the GUI thread. The notifier is level-triggered: it
// is switched off while bytes wait for the reader, and on again when the reader drained.
// Every call comes from the GUI thread.
class EventLoopPortWatcher final : public DescriptorWatcher {
public:
    int start(int fd, SerialNotifier& notifier) override;
    void wake() override;
    void stop() override;

private:
    void onActivated();

    int fd_ = -1;
    SerialNotifier* notifier_ = nullptr;
    std::unique_ptr<QSocketNotifier> readable_;
    bool hungUp_ = false;
};

// The port the Qt window drives: the system's tty, watched from the GUI thread.
inline std::unique_ptr<PosixSerialPort> makeWindowPort() {
    return std::make_unique<PosixSerialPort>(std::make_unique<EventLoopPortWatcher>());
}

} // namespace tq37r
