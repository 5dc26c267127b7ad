#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/LineWait.h"
#include "device/GainTable.h"
#include "device/Reply.h"
#include "serial/SerialPort.h"
#include "session/ControllerSession.h"

namespace tq37r::cli {

// The controller session of one command, waited on: each request waits for its answer until the
// time-out and is sent again up to `retries` more times; frames nobody asked for (state reports,
// telemetry, other acknowledgements) are skipped meanwhile. A request that stays unanswered, or
// a line that hangs up, ends the command with kExitNoAnswer.
class Controller final : private SessionListener {
public:
    struct Timing {
        std::chrono::milliseconds timeout{1000};
        int retries = 2;
    };

    // A search tries each port on a port `makePort` gives.
    Controller(SerialPort& port, LineWait& line, Timing timing, ControllerSearch::PortMaker makePort = {});
    // Closes the line, so its observer hears of it.
    ~Controller() { session_.close(); }
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    OpenResult open(std::string_view portName, std::uint32_t baudRate);
    // Who hears of every frame and every problem on the line (--trace, monitor --raw).
    void setObserver(LinkObserver* observer) { session_.setObserver(observer); }
    // Where the session keeps what it reads, sends and saves; nullptr for nowhere.
    void setJournal(JournalSink* journal) { session_.setJournal(journal); }
    // An entry about this command's own doing (a gain file written), stamped with the line.
    void record(JournalEntry entry) { session_.record(std::move(entry)); }

    // Sends the request until its answer comes and returns that answer.
    Reply ask(const Request& request);

    // The gain blocks asked for, read as the session paces them: the second no earlier than the
    // controller allows after the first. The gains are what the controller holds.
    Gains readBlocks(bool first, bool second);
    Gains readGains() { return readBlocks(true, true); }
    reply::FirmwareVersion readFirmware();
    // Sends row `group` of gains and waits for its acknowledgement.
    void sendRow(GainGroup group, const Gains& gains);
    // Asks the controller to save, waits for the acknowledgement and for the read-back that
    // checks it against what this session read and sent.
    SaveVerdict save();

    // Searches `ports` at once at `rates`; `moved` hears of each try as it begins, of each port
    // whose search is over, and of the search's end. Leaves the line closed.
    const ControllerSearch& findController(
        const std::vector<std::string>& ports, std::vector<std::uint32_t> rates,
        const std::function<void(const ControllerSearch& search, std::chrono::milliseconds elapsed)>& moved);
    // Whether Ctrl+C (or another stop signal) cut a run of the line short.
    bool interrupted() const { return interrupted_; }

    // Calls onReport for each state report until `duration` has passed (never, when nullopt)
    // or an interrupt.
    void watchReports(std::optional<std::chrono::milliseconds> duration,
                      const std::function<void(const reply::StateReport&)>& onReport);

private:
    // SessionListener
    void onReply(const Reply& reply) override;
    void onSaveChecked(const SaveVerdict& verdict) override;
    void onHungUp() override { hungUp_ = true; }

    // Runs the line until done() holds, `until` passes, or an interrupt.
    void runLine(const std::function<bool()>& done, std::optional<LineWait::TimePoint> until);
    // Waits for each of `requests`' answers, sent in order; throws when one never comes.
    std::vector<Reply> askAll(const std::vector<Request>& requests);

    LineWait& line_;
    Timing timing_;
    ControllerSession session_;
    bool hungUp_ = false;
    bool interrupted_ = false;
    std::optional<SaveVerdict> verdict_;
    std::function<void(const Reply&)> onAnyFrame_;
};

} // namespace tq37r::cli
