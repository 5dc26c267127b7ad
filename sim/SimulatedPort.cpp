#include "sim/SimulatedPort.h"

#include <algorithm>

namespace tq37r::sim {

OpenResult SimulatedPort::open(std::string_view portName, const PortSettings&) {
    open_ = true;
    input_.clear();
    requests_.reset();
    return {OpenFailure::None, 0, std::string(portName)};
}

bool SimulatedPort::write(std::span<const std::uint8_t> bytes) {
    if (!open_) {
        return false;
    }
    std::vector<WireFrame> replies;
    auto answer = [&](std::span<const std::uint8_t> frame) { controller_.handleRequest(frame, replies); };
    requests_.feed(bytes, answer);
    for (const WireFrame& reply : replies) {
        input_.insert(input_.end(), reply.begin(), reply.end());
    }
    if (!replies.empty() && sink_ != nullptr) {
        sink_->postSerialEvent(SerialEvent::RxReady, tag_);
    }
    return true;
}

std::size_t SimulatedPort::read(std::span<std::uint8_t> buffer) {
    const std::size_t count = std::min(buffer.size(), input_.size());
    std::copy_n(input_.begin(), count, buffer.begin());
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
}

void SimulatedPort::setNotifySink(SerialEventSink* sink, std::uint32_t tag) {
    sink_ = sink;
    tag_ = tag;
}

} // namespace tq37r::sim
