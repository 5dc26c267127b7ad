#pragma once

#include <cstddef>

#include "core/ParamFields.h"

namespace tq37r {

class DialogView;

// Moves the 23 parameter fields between the view's edits and the fields, in the fixed transfer order.
class DataExchange {
public:
    DataExchange(DialogView& view, ParamFields& fields) : view_(view), fields_(fields) {}

    // Writes every field into its edit as signed decimal text.
    void toControls();
    // Reads the edits into the fields until one holds no integer, or one its field cannot carry;
    // that one gets the prompt, the focus and a full selection, and it and every later field
    // keep their values.
    // Returns how many fields of the transfer order were taken (all 23 on success).
    std::size_t fromControls();

private:
    DialogView& view_;
    ParamFields& fields_;
};

} // namespace tq37r
