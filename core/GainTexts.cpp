#include "core/GainTexts.h"

#include "core/LocalTime.h"

namespace tq37r {
namespace {

std::string count(std::size_t n, std::string_view many, std::string_view one) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

} // namespace

GainTint gainTint(const GainKnowledge& knowledge, std::size_t gain, std::optional<std::int32_t> shown,
                  bool touched) {
    const std::optional<std::uint8_t> controller = knowledge.controllerValue(gain);
    if (!controller) {
        return touched ? GainTint::Changed : GainTint::None;
    }
    if (shown != *controller) {
        return GainTint::Changed;
    }
    switch (knowledge.standing(gain)) {
    case GainKnowledge::Standing::Mismatch:
        return GainTint::Mismatch;
    case GainKnowledge::Standing::Unsaved:
        return GainTint::Unsaved;
    default:
        return GainTint::InFlash;
    }
}

std::string gainToolTip(const GainKnowledge& knowledge, std::size_t gain, GainTint tint) {
    const std::optional<std::uint8_t> controllerValue = knowledge.controllerValue(gain);
    switch (tint) {
    case GainTint::None:
        // Known once, on an earlier line: perhaps another controller since.
        if (const auto last = knowledge.lastRead(gain)) {
            return "Not read since the port was opened (last read " + std::to_string(last->value) + " at " +
                   localTimeText(last->at, "%H:%M:%S") + ")";
        }
        return "Not known: never read from the controller";
    case GainTint::InFlash:
        return "As in the controller's flash";
    case GainTint::Changed:
        return controllerValue
                   ? "Changed here, not sent (the controller has " + std::to_string(*controllerValue) + ")"
                   : "Changed here, not sent";
    case GainTint::Unsaved:
        return "Sent and acknowledged, not saved to flash: Write to TQ-37R keeps it";
    case GainTint::Mismatch:
        return "Saved as " + std::to_string(knowledge.expectedValue(gain).value_or(0)) +
               ", but the controller reads " + std::to_string(controllerValue.value_or(0));
    }
    return {};
}

std::string gainAccessibleName(std::size_t gain) {
    const GainRow& row = rowOfGain(gain);
    // The rows of single letters are framed by their letter alone; the others are "... Control".
    std::string rowTitle(row.name);
    if (rowTitle.size() > 1) {
        rowTitle += " Control";
    }
    std::string_view label = kGains[gain].label;
    for (const std::string_view prefix : {std::string_view(rowTitle), row.name}) {
        if (label.starts_with(prefix) && label.size() > prefix.size() + 1) {
            label.remove_prefix(prefix.size() + 1);
            break;
        }
    }
    return rowTitle + ", " + std::string(label);
}

std::string unsavedWorkQuestion(std::size_t changed, std::size_t unsaved) {
    std::string text;
    if (changed > 0) {
        text = count(changed, "gains are", "gain is") + " changed here and not sent";
    }
    if (unsaved > 0) {
        text += (text.empty() ? "" : ", and ") + count(unsaved, "gains are", "gain is") +
                " sent but not saved to flash";
    }
    return text + ".";
}

std::string saveVerdictText(const SaveVerdict& verdict) {
    if (verdict.kind == SaveVerdict::Kind::NotVerified) {
        return "Saved, but the read-back got no answer: not verified.";
    }
    if (verdict.mismatches.empty()) {
        return {};
    }
    const SaveVerdict::Mismatch& first = verdict.mismatches.front();
    std::string text = "Saved, but " + std::string(kGains[first.gain].label) + " reads " +
                       std::to_string(first.reads) + ", not " + std::to_string(first.saved);
    if (verdict.mismatches.size() > 1) {
        text += "; " + count(verdict.mismatches.size() - 1, "more gains differ", "more gain differs");
    }
    return text + ".";
}

} // namespace tq37r
