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
        if (!value) {
            view_.messageBox({std::string(text::kProgramTitle), std::string(text::kEnterAnInteger), {},
                              MessageBoxRequest::Icon::Warning});
            view_.focus(binding.editId);
            return taken;
        }
        fields_.*binding.field = *value;
        ++taken;
    }
    return taken;
}

} // namespace tq37r
