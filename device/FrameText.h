#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "device/Reply.h"
#include "device/Requests.h"

namespace tq37r {

// What a request asks, in a few words for a person: "read gains, first block",
// "set Pitch 35 0 30", "save to flash".
std::string describeRequest(const Request& request);
// The same for a request as it went out on the line.
std::string describeRequestFrame(std::span<const std::uint8_t> frameBytes);
// What a checked frame from the controller says: "gains block 2", "ack Pitch control",
// "state flight-mode 0 task 255".
std::string describeReplyFrame(std::span<const std::uint8_t> frameBytes);

} // namespace tq37r
