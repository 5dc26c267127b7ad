#include "core/DataExchange.h"

#include <algorithm>
#include <string>

#include "core/DialogInteger.h"
#include "core/DialogTexts.h"
#include "core/DialogView.h"

namespace tq37r {

std::size_t DataExchange::slotOf(int editId) const {
    return static_cast<std::size_t>(std::find(kTransferOrder.begin(), kTransferOrder.end(), editId) -
                                    kTransferOrder.begin());
}

void DataExchange::toControls() {
    for (const int editId : kTransferOrder) {
        toControl(editId);
    }
}

void DataExchange::toControl(int editId) {
    std::string text = std::to_string(boundField(fields_, editId));
    if (std::optional<std::string>& shown = shown_[slotOf(editId)]; shown != text) {
        view_.setText(editId, text);
        shown = std::move(text);
    }
}

DataExchange::Taken DataExchange::fromControls() {
    Taken taken;
    for (std::size_t i = 0; i < kTransferOrder.size(); ++i) {
        const int editId = kTransferOrder[i];
        const std::string text = view_.text(editId);
        shown_[i] = text;
        const auto value = parseDialogInteger(text);
        const std::int32_t maximum = boundMaximum(editId);
        // A value out of range would reach the controller as its low bits and be acknowledged
        // as a success, so it stops the transfer like an entry that is no number at all.
        if (!value || *value < 0 || *value > maximum) {
            taken.refused = editId;
            taken.prompt = value ? std::string(text::kEnterAnIntegerBetween) + "0 and " +
                                       std::to_string(maximum) + "."
                                 : std::string(text::kEnterAnInteger);
            return taken;
        }
        boundField(fields_, editId) = *value;
        ++taken.count;
    }
    return taken;
}

void DataExchange::edited(int editId) {
    if (const std::size_t slot = slotOf(editId); slot < shown_.size()) {
        shown_[slot] = view_.text(editId);
    }
}

void DataExchange::showText(int editId, const std::string& text) {
    if (std::optional<std::string>& shown = shown_[slotOf(editId)]; shown != text) {
        view_.setText(editId, text);
        shown = text;
    }
}

std::string_view DataExchange::shown(int editId) const {
    const std::size_t slot = slotOf(editId);
    return slot < shown_.size() && shown_[slot] ? std::string_view(*shown_[slot]) : std::string_view();
}

} // namespace tq37r
