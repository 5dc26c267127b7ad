#include "ui/ParamProcessState.h"

#include "protocol/FrameReceiver.h"
#include "protocol/TxFrame.h"

namespace tq37r {

ParamProcessState& ParamProcessState::shared() {
    static ParamProcessState state(TxFrame::shared(), FrameReceiver::shared());
    return state;
}

} // namespace tq37r
