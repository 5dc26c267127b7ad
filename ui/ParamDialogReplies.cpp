// The reply side of ParamDialog: what each checked frame from the controller does to the window.
#include "ui/ParamDialog.h"

#include <QComboBox>
#include <QPushButton>

#include <array>
#include <type_traits>
#include <variant>

namespace tq37r {
namespace {

template <typename... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };

// Indexed by flight mode 0..2; columns are buttons 1018, 1019, 1020.
constexpr std::array<std::array<const char*, 3>, 3> kFlightModeCaptions{{
    {"遥控ON", "增稳OFF", "自动OFF"},
    {"遥控OFF", "增稳ON", "自动OFF"},
    {"遥控OFF", "增稳OFF", "自动ON"},
}};
constexpr std::array<int, 3> kFlightModeButtons{1018, 1019, 1020};

// Indexed by task 0..2, then 255 in the last row; columns are buttons 1021 to 1024.
constexpr std::array<std::array<const char*, 4>, 4> kTaskCaptions{{
    {"返航ON", "盘旋OFF", "起飞OFF", "取消OFF"},
    {"返航OFF", "盘旋ON", "起飞OFF", "取消OFF"},
    {"返航OFF", "盘旋OFF", "起飞ON", "取消OFF"},
    {"返航OFF", "盘旋OFF", "起飞OFF", "取消ON"},
}};
constexpr std::array<int, 4> kTaskButtons{1021, 1022, 1023, 1024};
constexpr std::int32_t kTaskCancelled = 255;

} // namespace

void ParamDialog::decodeFrame(std::span<const std::uint8_t> frameBytes) {
    std::visit(Overloaded{
                   [](const reply::Ignored&) {},
                   [this](const reply::GyroResult& r) { showStatus(r.status); },
                   [this](const reply::FirmwareVersion& r) { showStatus(r.status); },
                   [this](const reply::FlightParams& r) {
                       fields.targetAltitude = r.targetAltitude;
                       fields.circlingRadius = r.circlingRadius;
                       UpdateData(false);
                       showStatus(r.status);
                   },
                   [this](const reply::MixingMode& r) {
                       if (r.item >= 0) {
                           mixingModeCombo->setCurrentIndex(r.item);
                       }
                       showStatus(r.status);
                   },
                   [this](const reply::GainBlock1& r) {
                       fields.altitudeCompensation = r.altitudeCompensation;
                       fields.speedControl = r.speedControl;
                       fields.otherThird = r.otherThird;
                       fields.heightP = r.heightP;
                       fields.heightI = r.heightI;
                       fields.heightD = r.heightD;
                       fields.headingLockingCoef = r.headingLockingCoef;
                       fields.headingLockingContinue = r.headingLockingContinue;
                       fields.headingStabilityCoef = r.headingStabilityCoef;
                       fields.pitchLevelCoef = r.pitchLevelCoef;
                       fields.pitchStabilityContinue = r.pitchStabilityContinue;
                       fields.pitchStabilityCoef = r.pitchStabilityCoef;
                       fields.rollLevelCoef = r.rollLevelCoef;
                       fields.rollStabilityContinue = r.rollStabilityContinue;
                       fields.rollStabilityCoef = r.rollStabilityCoef;
                       state_.gainBlock1Read = true;
                       state_.firstOpenRead = !(state_.gainBlock1Read && state_.gainBlock2Read);
                       UpdateData(false);
                       showStatus(r.status);
                   },
                   [this](const reply::GainBlock2& r) {
                       fields.yP = r.yP;
                       fields.yI = r.yI;
                       fields.yD = r.yD;
                       fields.xP = r.xP;
                       fields.xI = r.xI;
                       fields.xD = r.xD;
                       state_.gainBlock2Read = true;
                       state_.firstOpenRead = !(state_.gainBlock1Read && state_.gainBlock2Read);
                       UpdateData(false);
                       showStatus(r.status);
                   },
                   [this](const reply::StateReport& r) {
                       state_.flightModeState = r.flightModeState;
                       if (state_.flightModeState != state_.shownFlightModeState) {
                           updateFlightModeCaptions();
                       }
                       state_.taskState = r.taskState;
                       if (state_.taskState != state_.shownTaskState) {
                           updateTaskCaptions();
                       }
                   },
                   [this](const reply::Acknowledgement& r) { showAcknowledgement(r); },
               },
               decodeReply(frameBytes));
}

void ParamDialog::showAcknowledgement(const reply::Acknowledgement& acknowledgement) {
    if (acknowledgement.status) {
        showStatus(*acknowledgement.status);
    }
}

void ParamDialog::updateFlightModeCaptions() {
    state_.shownFlightModeState = state_.flightModeState;
    const std::int32_t mode = state_.flightModeState;
    if (mode < 0 || mode >= static_cast<std::int32_t>(kFlightModeCaptions.size())) {
        return;
    }
    for (std::size_t i = 0; i < kFlightModeButtons.size(); ++i) {
        button(kFlightModeButtons[i])->setText(QString::fromUtf8(kFlightModeCaptions[mode][i]));
    }
}

void ParamDialog::updateTaskCaptions() {
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
        button(kTaskButtons[i])->setText(QString::fromUtf8(kTaskCaptions[row][i]));
    }
}

} // namespace tq37r
