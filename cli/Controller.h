#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "cli/PortEvents.h"
#include "core/GainFile.h"
#include "device/Reply.h"
#include "protocol/FrameReceiver.h"
#include "protocol/TxFrame.h"
#include "serial/SerialPort.h"

namespace tq37r::cli {

// A request/answer session with the controller on an open port: each request waits for its
// answer until the time-out and is sent again up to `retries` more times; frames nobody asked
// for (state reports, telemetry, other acknowledgements) are skipped meanwhile. A request that
// stays unanswered, or a line that hangs up, ends the command with kExitNoAnswer.
class Controller {
public:
    using Clock = std::chrono::steady_clock;

    struct Timing {
        std::chrono::milliseconds timeout{1000};
        int retries = 2;
    };

    Controller(SerialPort& port, Timing timing);
    ~Controller();
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    OpenResult open(std::string_view portName, std::uint32_t baudRate);

    // Both gain blocks, the second asked for no earlier than the controller allows after the first.
    Gains readGains();
    reply::FirmwareVersion readFirmware();
    // Sends row `row` of gains and waits for its acknowledgement.
    void sendRow(std::size_t row, const Gains& gains);
    // Asks the controller to keep what it holds in flash and waits for the acknowledgement.
    void save();

    // Calls onReport for each state report until `until` (never, when nullopt) or an interrupt.
    void watchReports(std::optional<Clock::time_point> until,
                      const std::function<void(const reply::StateReport&)>& onReport);
    // From any thread (a signal handler's thread): ends watchReports.
    void interrupt() { events_.interrupt(); }

private:
    // True when the frame is the awaited answer.
    using Check = std::function<bool(const Reply&)>;

    // Sends the request in tx_ until it is answered; returns when the answered copy had left.
    Clock::time_point ask(std::size_t byteCount, std::string_view what, const Check& answered);
    // Reads frames until one passes check, the deadline passes, or an interrupt.
    bool waitFor(std::optional<Clock::time_point> deadline, const Check& check);

    SerialPort& port_;
    Timing timing_;
    std::uint32_t baudRate_ = 0;
    std::chrono::milliseconds quietGap_{0};
    Clock::time_point lastArrival_{};
    TxFrame tx_;
    FrameReceiver receiver_;
    PortEvents events_;
};

} // namespace tq37r::cli
