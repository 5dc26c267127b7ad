#include "protocol/TxFrame.h"

#include "protocol/Frame.h"

namespace tq37r {

std::size_t TxFrame::assemble(std::uint8_t code, std::initializer_list<std::uint8_t> payload) {
    return assemble(code, std::span<const std::uint8_t>(payload.begin(), payload.size()));
}

std::size_t TxFrame::assemble(std::uint8_t code, std::span<const std::uint8_t> payload) {
    size_ = frame::assemble(buffer_, code, payload);
    return size_;
}

} // namespace tq37r
