#include "cli/StopSignals.h"

#include <pthread.h>

namespace tq37r::cli {

StopSignals::StopSignals(std::function<void()> onStop) : onStop_(std::move(onStop)) {
    sigemptyset(&signals_);
    for (const int signo : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&signals_, signo);
    }
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    thread_ = std::thread([this] {
        for (;;) {
            int signo = 0;
            sigwait(&signals_, &signo);
            if (closing_) {
                return;
            }
            onStop_();
        }
    });
}

StopSignals::~StopSignals() {
    // The thread may be in sigwait or in onStop; a signal sent to it ends the next wait.
    closing_ = true;
    pthread_kill(thread_.native_handle(), SIGTERM);
    thread_.join();
}

} // namespace tq37r::cli
