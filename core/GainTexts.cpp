#include "core/GainTexts.h"

namespace tq37r {
namespace {

std::string count(std::size_t n, std::string_view many, std::string_view one) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

} // namespace

std::string gainToolTip(GainTint tint, std::optional<std::uint8_t> controllerValue,
                        std::optional<std::uint8_t> savedValue) {
    switch (tint) {
    case GainTint::None:
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
        return "Saved as " + std::to_string(savedValue.value_or(0)) + ", but the controller reads " +
               std::to_string(controllerValue.value_or(0));
    }
    return {};
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

std::string saveMismatchText(std::string_view firstLabel, std::uint8_t reads, std::uint8_t saved,
                             std::size_t mismatches) {
    std::string text = "Saved, but " + std::string(firstLabel) + " reads " + std::to_string(reads) +
                       ", not " + std::to_string(saved);
    if (mismatches > 1) {
        text += "; " + count(mismatches - 1, "more gains differ", "more gain differs");
    }
    return text + ".";
}

} // namespace tq37r
