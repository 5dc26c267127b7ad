#pragma once

#include <cstdint>

#include "device/ControllerLink.h"

namespace tq37r {

// State that lives as long as the process rather than the dialog: the line's buffers (the
// outgoing frame and the receiver), the connection flags, the status countdown and the
// reported and shown mode states.
// The tool uses shared(); a test builds its own so that each dialog starts afresh.
struct ParamProcessState {
    static ParamProcessState& shared();

    LinkBuffers line;

    bool portOpen = false;
    bool firstOpenRead = true; // until both gain blocks have come back, every open reads them
    bool gainBlock1Read = false;
    bool gainBlock2Read = false;
    std::int32_t statusCountdown = 0; // 100 ms ticks until the status line is cleared

    std::int32_t flightModeState = 0;
    std::int32_t shownFlightModeState = 0;
    std::int32_t taskState = 0;
    std::int32_t shownTaskState = 0;
};

} // namespace tq37r
