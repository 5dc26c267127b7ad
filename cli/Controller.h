#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/LineWait.h"
#include "device/ControllerLink.h"
#include "device/ControllerSearch.h"
#include "device/GainTable.h"
#include "device/Reply.h"
#include "serial/SerialPort.h"

namespace tq37r::cli {

// A request/answer session with the controller, on the controller link: each request waits
// for its answer until the time-out and is sent again up to `retries` more times; frames
// nobody asked for (state reports, telemetry, other acknowledgements) are skipped meanwhile.
// A request that stays unanswered, or a line that hangs up, ends the command with kExitNoAnswer.
class Controller final : private LinkClock, private LinkListener {
public:
    struct Timing {
        std::chrono::milliseconds timeout{1000};
        int retries = 2;
    };

    Controller(SerialPort& port, LineWait& line, Timing timing);
    // Closes the line, so its observer hears of it.
    ~Controller() { link_.close(); }
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    OpenResult open(std::string_view portName, std::uint32_t baudRate);
    // Who hears of every frame and every problem on the line (--trace, monitor --raw).
    void setObserver(LinkObserver* observer) { link_.setObserver(observer); }

    // Sends the request until its answer comes and returns that answer.
    Reply ask(const Request& request);

    // One gain block; both, the second asked for no earlier than the controller allows.
    reply::GainReadBack readBlock(GainBlock block);
    Gains readGains();
    reply::FirmwareVersion readFirmware();
    // Sends row `group` of gains and waits for its acknowledgement.
    void sendRow(GainGroup group, const Gains& gains);
    // Asks the controller to keep what it holds in flash and waits for the acknowledgement.
    void save();

    // The ports among `ports` where the controller answers, and at which of `rates`; `trying`
    // hears of each try as it begins. Leaves the line closed.
    std::vector<ControllerSearch::Found>
    findController(std::vector<std::string> ports, std::vector<std::uint32_t> rates,
                   const std::function<void(const std::string& port, std::uint32_t baudRate,
                                            std::chrono::milliseconds elapsed)>& trying);

    // Whether Ctrl+C (or another stop signal) cut a run of the line short.
    bool interrupted() const { return interrupted_; }

    // Calls onReport for each state report until `duration` has passed (never, when nullopt)
    // or an interrupt.
    void watchReports(std::optional<std::chrono::milliseconds> duration,
                      const std::function<void(const reply::StateReport&)>& onReport);

private:
    // LinkClock: a pause keeps reading the line, so what arrives meanwhile does not pile up.
    TimePoint now() const override { return line_.now(); }
    void pause(std::chrono::milliseconds duration) override;
    // LinkListener
    void onFrame(const Reply& reply, std::optional<Answer> answered) override;
    void onUnanswered(const Answer& answer) override;

    // Runs the line until done() holds, `until` passes, or an interrupt.
    void runLine(const std::function<bool()>& done, std::optional<TimePoint> until);

    LineWait& line_;
    Timing timing_;
    LinkBuffers buffers_;
    ControllerLink link_;
    ControllerSearch search_;
    std::optional<Answer> awaited_;
    std::optional<Reply> answer_;
    bool unanswered_ = false;
    bool interrupted_ = false;
    std::function<void(const Reply&)> onAnyFrame_;
};

} // namespace tq37r::cli
