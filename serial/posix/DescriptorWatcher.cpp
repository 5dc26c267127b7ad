#include "serial/posix/DescriptorWatcher.h"

#include <sys/ioctl.h>

#include "serial/SerialNotifier.h"

namespace tq37r {

bool bytesQueued(int fd) {
    int count = 0;
    return ::ioctl(fd, FIONREAD, &count) == 0 && count > 0;
}

void announceIfQueued(int fd, SerialNotifier& notifier) {
    if (notifier.mayAnnounce() && bytesQueued(fd)) {
        notifier.announceRx();
    }
}

} // namespace tq37r
