#pragma once

#include <array>
#include <string_view>

#include "device/Reply.h"

namespace tq37r {

class DialogView;
struct ParamProcessState;

// The hidden flight-mode and task buttons double as indicators: their captions say which mode
// and which task the controller last reported, each button's name with ON or OFF after it.
class ModeIndicators {
public:
    ModeIndicators(DialogView& view, ParamProcessState& state) : view_(view), state_(state) {}

    // A state report: each group's captions are refreshed when its state changed since they
    // were last shown.
    void report(const reply::StateReport& report);
    // Shows the state held, whatever was shown before; a state without captions (3) is
    // remembered as shown and leaves the captions as they are.
    void updateFlightModeCaptions();
    void updateTaskCaptions();
    // The caption an indicator (a flight-mode or task button's id) shows now: "遥控ON".
    std::string_view caption(int buttonId) const;

private:
    void show(int buttonId, std::string_view caption);

    DialogView& view_;
    ParamProcessState& state_;
    std::array<std::string_view, 7> captions_{}; // by button, flight modes then tasks
};

} // namespace tq37r
