#pragma once

#include <cstdint>

namespace tq37r {

// What the window keeps for as long as the process runs, beside the controller session: the
// status line's countdown and the reported and shown mode states. The dialog owns the one
// instance; a test builds its own dialog, and so its own state.
struct ParamProcessState {
    std::int32_t statusCountdown = 0; // 100 ms ticks until the status line is cleared

    std::int32_t flightModeState = 0;
    std::int32_t shownFlightModeState = 0;
    std::int32_t taskState = 0;
    std::int32_t shownTaskState = 0;
};

} // namespace tq37r
