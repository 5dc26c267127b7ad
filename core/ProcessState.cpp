#include "core/ProcessState.h"

namespace tq37r {

ParamProcessState& ParamProcessState::shared() {
    static ParamProcessState state;
    return state;
}

} // namespace tq37r
