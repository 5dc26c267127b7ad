// The grid as the operator works it: undo and redo, a gain's own menu, a snapshot loaded, and
// what of it goes into the tuning history.
#include "core/DialogInteger.h"
#include "core/FieldBindings.h"
#include "core/ParamDialog.h"

namespace tq37r {

GridState ParamDialog::gridState() const {
    GridState state;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        state.texts[i] = std::string(exchange_.shown(kGainEdits[i]));
    }
    state.touched = touched_;
    return state;
}

void ParamDialog::showGridState(const GridState& state) {
    for (std::size_t i = 0; i < kGainCount; ++i) {
        exchange_.showText(kGainEdits[i], state.texts[i]);
        if (const auto value = parseDialogInteger(state.texts[i]); value && *value >= 0 && *value <= 255) {
            fields_.gains[i] = *value;
        }
    }
    touched_ = state.touched;
    refreshTints();
}

std::array<std::optional<std::uint8_t>, kGainCount> ParamDialog::gridGains() const {
    std::array<std::optional<std::uint8_t>, kGainCount> gains;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (const auto value = parseDialogInteger(exchange_.shown(kGainEdits[i])); value && *value >= 0 && *value <= 255) {
            gains[i] = static_cast<std::uint8_t>(*value);
        }
    }
    return gains;
}

void ParamDialog::loadSnapshot(const Gains& gains, const std::string& id) {
    beforeGridChange();
    for (std::size_t i = 0; i < kGainCount; ++i) {
        fields_.gains[i] = gains[i];
    }
    touched_.fill(true);
    showGrid();
    showStatus("Gains of snapshot " + id + " in the grid, not sent yet.", kCountdownNotice);
}

std::vector<ParamDialog::FieldMenuItem> ParamDialog::fieldMenu(int editId) const {
    std::vector<FieldMenuItem> items;
    if (const std::optional<std::size_t> gain = gainOfEdit(editId)) {
        items.push_back({FieldCommand::ResetToDefault,
                         "Reset to default (" + std::to_string(kGains[*gain].defaultValue) + ")"});
        if (const std::optional<std::uint8_t> held = session_.gains().controllerValue(*gain)) {
            items.push_back({FieldCommand::BackToController, "Back to the controller's value (" + std::to_string(*held) + ")"});
        }
    }
    return items;
}

void ParamDialog::onFieldCommand(int editId, FieldCommand command) {
    const std::optional<std::size_t> gain = gainOfEdit(editId);
    if (!gain) {
        return;
    }
    const std::optional<std::uint8_t> held = session_.gains().controllerValue(*gain);
    if (command == FieldCommand::BackToController && !held) {
        return; // the line closed since the menu was shown
    }
    beforeGridChange();
    fields_.gains[*gain] = command == FieldCommand::ResetToDefault ? kGains[*gain].defaultValue : *held;
    touched_[*gain] = true;
    exchange_.toControl(editId);
    refreshTint(*gain);
}

void ParamDialog::recordGains(JournalEntry::Kind kind, const std::string& file) {
    JournalEntry entry;
    entry.kind = kind;
    entry.file = file;
    entry.gains.emplace();
    for (std::size_t i = 0; i < kGainCount; ++i) {
        (*entry.gains)[i] = static_cast<std::uint8_t>(fields_.gains[i]);
    }
    session_.record(std::move(entry));
}

} // namespace tq37r
