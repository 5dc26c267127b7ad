#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

namespace tq37r {

// The one outgoing buffer: every request is assembled here from offset 0 and
// written from here, so each request overwrites the one before it.
class TxFrame {
public:
    static constexpr std::size_t kCapacity = 256;

    // Assembles code and payload from offset 0; returns the frame length L + 2, or 0 when
    // the payload cannot fit (nothing is then handed on).
    std::size_t assemble(std::uint8_t code, std::initializer_list<std::uint8_t> payload);
    std::size_t assemble(std::uint8_t code, std::span<const std::uint8_t> payload);

    // The first byteCount bytes, as handed to the output side.
    std::span<const std::uint8_t> bytes(std::size_t byteCount) const { return {buffer_.data(), byteCount}; }
    // The frame assembled last.
    std::span<const std::uint8_t> assembled() const { return bytes(size_); }

private:
    std::array<std::uint8_t, kCapacity> buffer_{};
    std::size_t size_ = 0;
};

} // namespace tq37r
