#include "core/ModeIndicators.h"

#include <array>

#include "core/DialogView.h"
#include "core/ProcessState.h"
#include "device/Requests.h"
#include "res/ControlIds.h"

namespace tq37r {
namespace {

// Indexed by flight mode 0..2; columns are buttons 1018, 1019, 1020.
constexpr std::array<std::array<const char*, 3>, 3> kFlightModeCaptions{{
    {"遥控ON", "增稳OFF", "自动OFF"},
    {"遥控OFF", "增稳ON", "自动OFF"},
    {"遥控OFF", "增稳OFF", "自动ON"},
}};
constexpr std::array<int, 3> kFlightModeButtons{id::kFlightModeRemote, id::kFlightModeStabilised,
                                                id::kFlightModeAuto};

// Indexed by task 0..2, then 255 in the last row; columns are buttons 1021 to 1024.
constexpr std::array<std::array<const char*, 4>, 4> kTaskCaptions{{
    {"返航ON", "盘旋OFF", "起飞OFF", "取消OFF"},
    {"返航OFF", "盘旋ON", "起飞OFF", "取消OFF"},
    {"返航OFF", "盘旋OFF", "起飞ON", "取消OFF"},
    {"返航OFF", "盘旋OFF", "起飞OFF", "取消ON"},
}};
constexpr std::array<int, 4> kTaskButtons{id::kTaskReturn, id::kTaskCircle, id::kTaskTakeOff,
                                          id::kTaskCancel};
constexpr auto kTaskCancelled = static_cast<std::int32_t>(Task::Cancel);

} // namespace

void ModeIndicators::report(const reply::StateReport& report) {
    state_.flightModeState = report.flightModeState;
    if (state_.flightModeState != state_.shownFlightModeState) {
        updateFlightModeCaptions();
    }
    state_.taskState = report.taskState;
    if (state_.taskState != state_.shownTaskState) {
        updateTaskCaptions();
    }
}

void ModeIndicators::updateFlightModeCaptions() {
    state_.shownFlightModeState = state_.flightModeState;
    const std::int32_t mode = state_.flightModeState;
    if (mode < 0 || mode >= static_cast<std::int32_t>(kFlightModeCaptions.size())) {
        return;
    }
    for (std::size_t i = 0; i < kFlightModeButtons.size(); ++i) {
        show(kFlightModeButtons[i], kFlightModeCaptions[static_cast<std::size_t>(mode)][i]);
    }
}

void ModeIndicators::updateTaskCaptions() {
    state_.shownTaskState = state_.taskState;
    const std::int32_t task = state_.taskState;
    std::size_t row = 0;
    if (task == kTaskCancelled) {
        row = kTaskCaptions.size() - 1;
    } else if (task >= 0 && task < static_cast<std::int32_t>(kTaskCaptions.size()) - 1) {
        row = static_cast<std::size_t>(task);
    } else {
        return;
    }
    for (std::size_t i = 0; i < kTaskButtons.size(); ++i) {
        show(kTaskButtons[i], kTaskCaptions[row][i]);
    }
}

namespace {

std::size_t indicatorIndex(int buttonId) {
    for (std::size_t i = 0; i < kFlightModeButtons.size(); ++i) {
        if (kFlightModeButtons[i] == buttonId) {
            return i;
        }
    }
    for (std::size_t i = 0; i < kTaskButtons.size(); ++i) {
        if (kTaskButtons[i] == buttonId) {
            return kFlightModeButtons.size() + i;
        }
    }
    return kFlightModeButtons.size() + kTaskButtons.size();
}

} // namespace

void ModeIndicators::show(int buttonId, std::string_view caption) {
    view_.setText(buttonId, caption);
    if (const std::size_t i = indicatorIndex(buttonId); i < captions_.size()) {
        captions_[i] = caption;
    }
}

std::string_view ModeIndicators::caption(int buttonId) const {
    const std::size_t i = indicatorIndex(buttonId);
    return i < captions_.size() ? captions_[i] : std::string_view();
}

} // namespace tq37r
