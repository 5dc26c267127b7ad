#include "cli/posix/StopSignals.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <initializer_list>

namespace tq37r::cli {

StopSignals::StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signo : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&signals, signo);
    }
    fd_ = ::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd_ >= 0) {
        pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    }
}

StopSignals::~StopSignals() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool StopSignals::take() {
    bool any = false;
    signalfd_siginfo info{};
    while (fd_ >= 0 && ::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        any = true;
    }
    return any;
}

} // namespace tq37r::cli
