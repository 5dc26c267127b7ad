// The reply side of ParamDialog: what each checked frame from the controller does to the window.
#include <type_traits>
#include <variant>

#include "core/DialogTexts.h"
#include "core/DialogView.h"
#include "core/FieldBindings.h"
#include "core/ParamDialog.h"
#include "device/Codes.h"
#include "res/ControlIds.h"

namespace tq37r {
namespace {

template <typename... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };

} // namespace

void ParamDialog::onFrame(const Reply& reply, std::optional<Answer> answered) {
    // While searching, the line is the search's: nothing it hears is for the grid.
    if (search_.running()) {
        search_.onFrame(reply, answered);
    } else {
        handleReply(reply);
    }
}

void ParamDialog::onUnanswered(const Answer& answer) {
    if (search_.running()) {
        search_.onUnanswered(answer);
    } else {
        showStatus(text::kNoReply, kCountdownNotice);
    }
}

void ParamDialog::decodeFrame(std::span<const std::uint8_t> frameBytes) {
    handleReply(decodeReply(frameBytes));
}

void ParamDialog::handleReply(const Reply& reply) {
    std::visit(Overloaded{
                   [](const reply::Ignored&) {},
                   [this](const reply::GyroResult& r) {
                       if (r.passed) {
                           showStatus(r.status);
                       }
                   },
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
                   [this](const reply::GainReadBack& r) { takeGainReadBack(r); },
                   [this](const reply::StateReport& r) { indicators_.report(r); },
                   [this](const reply::Acknowledgement& r) {
                       if (r.status) {
                           showStatus(*r.status);
                       }
                       acknowledged(r.acknowledgedCode);
                   },
               },
               reply);
}

void ParamDialog::takeGainReadBack(const reply::GainReadBack& readBack) {
    (readBack.block == GainBlock::First ? state_.gainBlock1Read : state_.gainBlock2Read) = true;
    state_.firstOpenRead = !(state_.gainBlock1Read && state_.gainBlock2Read);
    if (!saveCheck_.running()) {
        for (std::size_t i = 0; i < kGainCount; ++i) {
            if (readBack.carries(i)) {
                fields_.gains[i] = readBack.values[i];
                gains_.reported(i, readBack.values[i]);
            }
        }
        UpdateData(false);
        refreshTints();
        showStatus(readBack.status);
        return;
    }
    // The read-back that checks a save: it shows what the controller holds, but leaves the
    // save's text up when all agree, and what the operator is still typing where it is.
    std::array<bool, kGainCount> typedHere{};
    for (std::size_t i = 0; i < kGainCount; ++i) {
        typedHere[i] = readBack.carries(i) && gains_.tint(i, shownGain(i)) == GainTint::Changed;
    }
    const std::optional<std::string> verdict = saveCheck_.take(readBack, gains_);
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (readBack.carries(i) && !typedHere[i]) {
            fields_.gains[i] = readBack.values[i];
            view_.setText(kGainEdits[i], std::to_string(readBack.values[i]));
        }
    }
    refreshTints();
    if (verdict && !verdict->empty()) {
        showStatus(*verdict, kCountdownFirmware);
    }
}

void ParamDialog::acknowledged(std::uint8_t acknowledgedCode) {
    if (const std::optional<GainGroup> group = groupOfSetCode(acknowledgedCode)) {
        auto& sent = sentRows_[static_cast<std::size_t>(*group)];
        if (sent) {
            const std::size_t first = firstGainOf(*group);
            for (std::size_t k = 0; k < kGainsPerRow; ++k) {
                gains_.sent(first + k, (*sent)[k]);
            }
            sent.reset();
            refreshTints();
        }
    }
    if (acknowledgedCode == code::kSaveConfiguration) {
        gains_.saved();
        refreshTints();
        // Read both blocks back to see that what the controller now keeps is what was sent.
        onRead();
        saveCheck_.start();
    }
}

} // namespace tq37r
