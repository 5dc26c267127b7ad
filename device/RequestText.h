#pragma once

#include <string>

#include "device/Requests.h"

namespace tq37r {

// What a request asks, in a few words for a person: "read gains, first block",
// "set Pitch 35 0 30", "save to flash".
std::string describeRequest(const Request& request);

} // namespace tq37r
