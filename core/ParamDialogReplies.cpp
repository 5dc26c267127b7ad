// The reply side of ParamDialog: what each of the session's events shows in the window.
#include <variant>

#include "core/DialogInteger.h"
#include "core/DialogTexts.h"
#include "core/DialogView.h"
#include "core/FieldBindings.h"
#include "core/GainTexts.h"
#include "core/ParamDialog.h"
#include "res/ControlIds.h"

namespace tq37r {
namespace {

template <typename... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };

} // namespace

void ParamDialog::onReply(const Reply& reply) {
    std::visit(Overloaded{
                   [](const reply::Ignored&) {},
                   [this](const reply::GyroResult& r) {
                       flight_.gyro = r;
                       if (r.passed) {
                           showStatus(r.status);
                       }
                   },
                   [this](const reply::FirmwareVersion& r) { showStatus(r.status); },
                   [this](const reply::FlightParams& r) {
                       fields_.targetAltitude = r.targetAltitude;
                       fields_.circlingRadius = r.circlingRadius;
                       flight_.targetAltitude = r.targetAltitude;
                       flight_.circlingRadius = r.circlingRadius;
                       showGrid();
                       showStatus(r.status);
                   },
                   [this](const reply::MixingMode& r) {
                       if (r.item >= 0) {
                           view_.setSelection(id::kMixingModeList, r.item);
                           flight_.mixingItem = r.item;
                       }
                       showStatus(r.status);
                   },
                   [](const reply::GainReadBack&) {}, // onGainsRead
                   [this](const reply::StateReport& r) { indicators_.report(r); },
                   [this](const reply::Acknowledgement& r) {
                       if (r.status) {
                           showStatus(*r.status);
                       }
                   },
               },
               reply);
    // The Flight settings window shows these replies too, and the state reports' indicators.
    if (!std::holds_alternative<reply::Acknowledgement>(reply) &&
        !std::holds_alternative<reply::Ignored>(reply)) {
        view_.flightSettingsChanged();
    }
}

void ParamDialog::onGainsRead(const reply::GainReadBack& readBack, bool forSaveCheck) {
    undo_.endTyping();
    if (!forSaveCheck) {
        for (std::size_t i = 0; i < kGainCount; ++i) {
            if (readBack.carries(i)) {
                fields_.gains[i] = readBack.values[i];
                touched_[i] = false;
            }
        }
        // The values first: they are what the operator waits for.
        if (promptUp_) {
            gridStale_ = true;
            refreshTints();
        } else {
            showGrid();
        }
        showStatus(readBack.status);
        return;
    }
    // The read-back that checks a save shows what the controller holds, but leaves the save's
    // text up when all agree, and what the operator is still typing where it is.
    for (std::size_t i = 0; i < kGainCount; ++i) {
        const std::optional<std::int32_t> shown = parseDialogInteger(exchange_.shown(kGainEdits[i]));
        if (readBack.carries(i) && !(touched_[i] && shown != readBack.values[i])) {
            fields_.gains[i] = readBack.values[i];
            touched_[i] = false;
            exchange_.toControl(kGainEdits[i]);
        }
    }
    refreshTints();
}

void ParamDialog::onSaveChecked(const SaveVerdict& verdict) {
    if (const std::string text = saveVerdictText(verdict); !text.empty()) {
        showStatus(text, kCountdownSaveVerdict);
    }
}

void ParamDialog::onKnowledgeChanged() {
    refreshTints();
}

void ParamDialog::onUnanswered(const Request&) {
    showStatus(text::kNoReply, kCountdownNotice);
}

void ParamDialog::showGrid() {
    exchange_.toControls();
    refreshTints();
}

GainTint ParamDialog::tintOf(std::size_t gain) const {
    return gainTint(session_.gains(), gain, parseDialogInteger(exchange_.shown(kGainEdits[gain])),
                    touched_[gain]);
}

void ParamDialog::refreshTints() {
    for (std::size_t i = 0; i < kGainCount; ++i) {
        refreshTint(i);
    }
}

void ParamDialog::refreshTint(std::size_t gain) {
    const GainTint tint = tintOf(gain);
    // A value the controller holds as shown is no longer only typed here: a read-back may replace it.
    if (tint != GainTint::Changed && tint != GainTint::None) {
        touched_[gain] = false;
    }
    // Only what changed goes to the view, and a tooltip is worded again only when what it says
    // may have: a reply touches every gain, and restyling an edit is far dearer than comparing.
    const GainKnowledge& known = session_.gains();
    const Shown now{tint, known.controllerValue(gain), known.expectedValue(gain),
                    tint == GainTint::None ? known.lastRead(gain) : std::nullopt};
    Shown& shown = shownTints_[gain];
    if (!shown.tint || *shown.tint != tint) {
        view_.setTint(kGainEdits[gain], tint);
    }
    if (!shown.tint || !shown.saysTheSame(now)) {
        view_.setToolTip(kGainEdits[gain], gainToolTip(known, gain, tint));
    }
    shown = now;
}

void ParamDialog::onEditChanged(int editId) {
    const std::optional<std::size_t> gain = gainOfEdit(editId);
    if (gain) {
        undo_.beforeChange(gridState(), editId); // the grid as it was before this run of typing
    }
    exchange_.edited(editId);
    if (gain) {
        markTouched(*gain);
        refreshTint(*gain);
    }
}

} // namespace tq37r
