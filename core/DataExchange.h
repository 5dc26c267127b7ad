#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/FieldBindings.h"
#include "core/ParamFields.h"

namespace tq37r {

class DialogView;

// Moves the 23 parameter fields between the view's edits and the fields, in the fixed transfer
// order. It remembers what each edit shows (what it wrote or read there, or what the operator
// typed), so a reply that changes one gain writes one edit, and nobody reads the view back to
// know what the grid holds.
class DataExchange {
public:
    DataExchange(DialogView& view, ParamFields& fields) : view_(view), fields_(fields) {}

    // How far a transfer from the edits got.
    struct Taken {
        std::size_t count = 0;       // fields of the transfer order taken (all 23 on success)
        std::optional<int> refused;  // the edit that stopped it
        std::string prompt;          // what to tell the operator about that edit
    };

    // Writes each field into its edit as signed decimal text, where the edit shows anything else.
    void toControls();
    // The same for one edit.
    void toControl(int editId);
    // Reads the edits into the fields until one holds no integer, or one its field cannot
    // carry: it and every later field keep their values.
    Taken fromControls();
    // The operator changed an edit's text.
    void edited(int editId);
    // Puts a text of the grid's own (an undone entry, whatever it holds) into an edit.
    void showText(int editId, const std::string& text);
    // What an edit shows, without asking the view.
    std::string_view shown(int editId) const;

private:
    std::size_t slotOf(int editId) const;

    DialogView& view_;
    ParamFields& fields_;
    std::array<std::optional<std::string>, kTransferOrder.size()> shown_; // none: not known yet
};

} // namespace tq37r
