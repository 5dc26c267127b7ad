#pragma once

#include <cstdint>

namespace tq37r {

class FrameReceiver;
class TxFrame;

// State that lives as long as the process rather than the dialog: the connection flags,
// the status countdown, the reported and shown mode states, and the protocol buffers.
// The tool uses shared(); a test builds its own so that each dialog starts afresh.
class ParamProcessState {
public:
    ParamProcessState(TxFrame& txFrame, FrameReceiver& frameReceiver)
        : tx(txFrame), receiver(frameReceiver) {}
    ParamProcessState(const ParamProcessState&) = delete;
    ParamProcessState& operator=(const ParamProcessState&) = delete;

    static ParamProcessState& shared();

    TxFrame& tx;
    FrameReceiver& receiver;

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
