#pragma once

#include <cstdint>
#include <vector>

#include "protocol/Frame.h"

namespace tq37r::test {

using Bytes = std::vector<std::uint8_t>;

// A whole frame for code and payload, as either side puts it on the line.
inline Bytes makeFrame(std::uint8_t code, const Bytes& payload) {
    Bytes out(payload.size() + 6);
    out.resize(frame::assemble(out, code, payload));
    return out;
}

} // namespace tq37r::test
