// The reply side of ParamDialog: what each checked frame from the controller does to the window.
#include "core/ParamDialog.h"

#include <array>
#include <type_traits>
#include <variant>

#include "core/DialogInteger.h"
#include "core/DialogView.h"
#include "core/GainGrid.h"
#include "core/GainTexts.h"
#include "device/Codes.h"
#include "protocol/Frame.h"
#include "res/ControlIds.h"

namespace tq37r {
namespace {

template <typename... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };

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
constexpr std::int32_t kTaskCancelled = 255;

} // namespace

void ParamDialog::decodeFrame(std::span<const std::uint8_t> frameBytes) {
    // Any answer counts, late or not, even one that shows nothing (a failed self-test).
    const std::uint8_t replyCode = frameBytes[frame::kCodeOffset];
    const bool acknowledgement =
        replyCode == code::kAcknowledgement && frameBytes.size() > frame::kPayloadOffset + 2;
    replyWatch_.arrived(acknowledgement ? frameBytes[frame::kPayloadOffset] : replyCode);

    std::visit(Overloaded{
                   [](const reply::Ignored&) {},
                   [this](const reply::GyroResult& r) { showStatus(r.status); },
                   [this](const reply::FirmwareVersion& r) {
                       firmware_ = r;
                       showStatus(r.status);
                   },
                   [this](const reply::FlightParams& r) {
                       fields_.targetAltitude = r.targetAltitude;
                       fields_.circlingRadius = r.circlingRadius;
                       UpdateData(false);
                       refreshTints();
                       showStatus(r.status);
                   },
                   [this](const reply::MixingMode& r) {
                       if (r.item >= 0) {
                           view_.setSelection(id::kMixingModeList, r.item);
                       }
                       showStatus(r.status);
                   },
                   [this](const reply::GainBlock1& r) {
                       ParamFields& f = incoming_;
                       f.altitudeCompensation = r.altitudeCompensation;
                       f.speedControl = r.speedControl;
                       f.otherThird = r.otherThird;
                       f.heightP = r.heightP;
                       f.heightI = r.heightI;
                       f.heightD = r.heightD;
                       f.headingLockingCoef = r.headingLockingCoef;
                       f.headingLockingContinue = r.headingLockingContinue;
                       f.headingStabilityCoef = r.headingStabilityCoef;
                       f.pitchLevelCoef = r.pitchLevelCoef;
                       f.pitchStabilityContinue = r.pitchStabilityContinue;
                       f.pitchStabilityCoef = r.pitchStabilityCoef;
                       f.rollLevelCoef = r.rollLevelCoef;
                       f.rollStabilityContinue = r.rollStabilityContinue;
                       f.rollStabilityCoef = r.rollStabilityCoef;
                       state_.gainBlock1Read = true;
                       takeGainBlock(false, r.status);
                   },
                   [this](const reply::GainBlock2& r) {
                       ParamFields& f = incoming_;
                       f.yP = r.yP;
                       f.yI = r.yI;
                       f.yD = r.yD;
                       f.xP = r.xP;
                       f.xI = r.xI;
                       f.xD = r.xD;
                       state_.gainBlock2Read = true;
                       takeGainBlock(true, r.status);
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
                   [this](const reply::Acknowledgement& r) {
                       showAcknowledgement(r);
                       acknowledged(r.acknowledgedCode);
                   },
               },
               decodeReply(frameBytes));
}

// The second block carries the X and Y rows, the first all others.
void ParamDialog::takeGainBlock(bool secondBlock, const StatusMessage& status) {
    state_.firstOpenRead = !(state_.gainBlock1Read && state_.gainBlock2Read);
    const auto inBlock = [secondBlock](std::size_t gain) {
        const GainGroup group = kGridGains[gain].group;
        return (group == GainGroup::X || group == GainGroup::Y) == secondBlock;
    };
    if (!verifyingSave_) {
        for (std::size_t i = 0; i < kGainCount; ++i) {
            if (inBlock(i)) {
                fields_.*kGainNames[i].field = incoming_.*kGainNames[i].field;
                gains_.reported(i, static_cast<std::uint8_t>(incoming_.*kGainNames[i].field));
            }
        }
        UpdateData(false);
        refreshTints();
        showStatus(status);
        return;
    }
    // The read-back that checks a save: it shows what the controller holds, but leaves the
    // save's text up when all agree, and what the operator is still typing where it is.
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (!inBlock(i)) {
            continue;
        }
        const auto reads = static_cast<std::uint8_t>(incoming_.*kGainNames[i].field);
        const int editId = kGridGains[i].editId;
        const bool typedHere = gains_.tint(i, parseDialogInteger(view_.text(editId))) == GainTint::Changed;
        const std::optional<std::uint8_t> saved = gains_.controllerValue(i);
        if (saved && *saved != reads) {
            if (saveMismatches_++ == 0) {
                firstMismatch_ = i;
            }
            gains_.savedButReads(i, reads);
        } else {
            gains_.reported(i, reads);
        }
        if (!typedHere) {
            fields_.*kGainNames[i].field = reads;
            view_.setText(editId, std::to_string(reads));
        }
    }
    verifiedBlocks_ |= secondBlock ? 2u : 1u;
    refreshTints();
    if (verifiedBlocks_ == 3u) {
        verifyingSave_ = false;
        if (saveMismatches_ > 0) {
            const std::size_t first = firstMismatch_;
            showStatus(saveMismatchText(kGridGains[first].label, gains_.controllerValue(first).value_or(0),
                                        gains_.expectedValue(first).value_or(0), saveMismatches_),
                       kCountdownFirmware);
        }
    }
}

void ParamDialog::acknowledged(std::uint8_t acknowledgedCode) {
    for (std::size_t group = 0; group < sentRows_.size(); ++group) {
        if (sentRows_[group] && gainGroupCode(static_cast<GainGroup>(group)) == acknowledgedCode) {
            const std::size_t first = firstGainOf(static_cast<GainGroup>(group));
            for (std::size_t k = 0; k < 3; ++k) {
                gains_.sent(first + k, (*sentRows_[group])[k]);
            }
            sentRows_[group].reset();
            refreshTints();
        }
    }
    if (acknowledgedCode == code::kSaveConfiguration) {
        gains_.saved();
        refreshTints();
        // Read both blocks back to see that what the controller now keeps is what was sent.
        onRead();
        verifyingSave_ = true;
        verifiedBlocks_ = 0;
        saveMismatches_ = 0;
    }
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
        view_.setText(kFlightModeButtons[i], kFlightModeCaptions[static_cast<std::size_t>(mode)][i]);
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
        view_.setText(kTaskButtons[i], kTaskCaptions[row][i]);
    }
}

} // namespace tq37r
