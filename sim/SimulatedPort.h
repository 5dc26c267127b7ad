#pragma once

#include <deque>

#include "protocol/FrameReceiver.h"
#include "serial/SerialPort.h"
#include "sim/SimController.h"

namespace tq37r::sim {

// A port whose far end is a simulated controller in this process: each request written is
// answered at once, and the answer announced to the sink as a port's watcher would. For
// pictures of the window and measurements, where no line is wanted.
class SimulatedPort final : public SerialPort {
public:
    explicit SimulatedPort(SimController& controller) : controller_(controller) {}

    OpenResult open(std::string_view portName, const PortSettings& settings) override;
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t read(std::span<std::uint8_t> buffer) override;
    std::optional<std::size_t> queuedInput() const override { return input_.size(); }
    bool takeLineErrors() override { return false; }
    void purgeInput() override { input_.clear(); }
    void purgeOutput() override {}
    void setNotifySink(SerialEventSink* sink, std::uint32_t tag) override;
    void rxDrained() override {}
    std::string resolve(std::string_view portName) const override { return std::string(portName); }

private:
    SimController& controller_;
    FrameReceiver requests_;
    std::deque<std::uint8_t> input_;
    SerialEventSink* sink_ = nullptr;
    std::uint32_t tag_ = 0;
    bool open_ = false;
};

} // namespace tq37r::sim
