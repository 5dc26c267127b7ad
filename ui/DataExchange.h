#pragma once

#include <cstddef>

#include "ui/ParamFields.h"

namespace tq37r {

class TemplateDialog;

// Moves the 23 parameter fields between the dialog's edits and the fields, in the fixed transfer order.
class DataExchange {
public:
    DataExchange(TemplateDialog& dialog, ParamFields& fields) : dialog_(dialog), fields_(fields) {}

    // Writes every field into its edit as signed decimal text.
    void toControls();
    // Reads the edits into the fields until one holds no integer; that one gets the integer
    // prompt, the focus and a full selection, and it and every later field keep their values.
    // Returns how many fields of the transfer order were taken (all 23 on success).
    std::size_t fromControls();

private:
    TemplateDialog& dialog_;
    ParamFields& fields_;
};

} // namespace tq37r
