#include "core/DataExchange.h"

#include <string>

#include "core/DialogInteger.h"
#include "core/DialogTexts.h"
#include "core/DialogView.h"
#include "core/FieldBindings.h"

namespace tq37r {

void DataExchange::toControls() {
    for (const int editId : kTransferOrder) {
        view_.setText(editId, std::to_string(boundField(fields_, editId)));
    }
}

std::size_t DataExchange::fromControls() {
    std::size_t taken = 0;
    for (const int editId : kTransferOrder) {
        const auto value = parseDialogInteger(view_.text(editId));
        const std::int32_t maximum = boundMaximum(editId);
        // A value out of range would reach the controller as its low bits and be acknowledged
        // as a success, so it stops the transfer like an entry that is no number at all.
        const bool inRange = value && *value >= 0 && *value <= maximum;
        if (!inRange) {
            const std::string prompt =
                value ? std::string(text::kEnterAnIntegerBetween) + "0 and " + std::to_string(maximum) + "."
                      : std::string(text::kEnterAnInteger);
            view_.messageBox(
                {std::string(text::kProgramTitle), prompt, {}, MessageBoxRequest::Icon::Warning});
            view_.focus(editId);
            return taken;
        }
        boundField(fields_, editId) = *value;
        ++taken;
    }
    return taken;
}

} // namespace tq37r
