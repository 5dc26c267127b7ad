#pragma once

#include "cli/LineWait.h"
#include "cli/posix/StopSignals.h"
#include "serial/posix/PortPoll.h"

namespace tq37r::cli {

// A command's wait on its ports, in its own thread: the ports' watchers (of `ports`) announce
// here from inside wait(), which sleeps in their poll until one has news, a stop signal comes
// or the time passes, so a command waiting for an answer uses no CPU while the line is quiet.
class PortEvents final : public LineWait {
public:
    // `stop`, when given, ends every wait from its first signal on.
    explicit PortEvents(PortPoll& ports, StopSignals* stop = nullptr) : ports_(ports), stop_(stop) {}

    void postSerialEvent(SerialEvent event, std::uint32_t tag) override;

    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    Seen wait(std::optional<TimePoint> until) override;

private:
    bool anything() const { return !seen_.rxReady.empty() || !seen_.hungUp.empty() || seen_.interrupted; }

    PortPoll& ports_;
    StopSignals* stop_;
    Seen seen_;
};

} // namespace tq37r::cli
