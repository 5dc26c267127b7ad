#include "core/DataExchange.h"

#include <string>

#include "core/DialogInteger.h"
#include "core/DialogTexts.h"
#include "core/DialogView.h"
#include "core/FieldBindings.h"

namespace tq37r {

void DataExchange::toControls() {
    for (const IntegerBinding& binding : kIntegerTransferOrder) {
        view_.setText(binding.editId, std::to_string(fields_.*binding.field));
    }
}

std::size_t DataExchange::fromControls() {
    std::size_t taken = 0;
    for (const IntegerBinding& binding : kIntegerTransferOrder) {
        const auto value = parseDialogInteger(view_.text(binding.editId));
        // A value out of range would reach the controller as its low bits and be acknowledged
        // as a success, so it stops the transfer like an entry that is no number at all.
        const bool inRange = value && *value >= 0 && *value <= binding.maximum;
        if (!inRange) {
            const std::string prompt = value ? std::string(text::kEnterAnIntegerBetween) + "0 and " +
                                                   std::to_string(binding.maximum) + "."
                                             : std::string(text::kEnterAnInteger);
            view_.messageBox(
                {std::string(text::kProgramTitle), prompt, {}, MessageBoxRequest::Icon::Warning});
            view_.focus(binding.editId);
            return taken;
        }
        fields_.*binding.field = *value;
        ++taken;
    }
    return taken;
}

} // namespace tq37r
