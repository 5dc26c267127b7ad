// Gain files from the window: the grid saved to a file, a file loaded into the grid, and
// the grid compared with a file.
#include "core/DialogInteger.h"
#include "core/DialogTexts.h"
#include "core/DialogView.h"
#include "core/FieldBindings.h"
#include "core/GainFile.h"
#include "core/GainFileIo.h"
#include "core/ParamDialog.h"

namespace tq37r {
namespace {

std::string fileName(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += (text.empty() ? "" : "\n") + line;
    }
    return text;
}

// The file's gains, or nullopt with a box that says why not.
struct ReadFile {
    std::optional<GainFileRead> read;
    std::string problems; // the refusal, or the unknown and missing names
};

ReadFile readFile(const std::string& path) {
    std::string why;
    const std::optional<std::string> text = readGainFileText(path, why);
    if (!text) {
        return {std::nullopt, "The file " + why + "."};
    }
    GainFileRead read = readGainFile(*text);
    std::string problems = joined(describeGainFileProblems(read));
    if (!read.accepted()) {
        return {std::nullopt, problems};
    }
    return {std::move(read), problems};
}

} // namespace

void ParamDialog::saveGainFile(const std::string& path) {
    if (const DataExchange::Taken taken = takeEdits(); taken.refused) {
        prompt(taken); // which entry to fix
        return;
    }
    Gains gains{};
    for (std::size_t i = 0; i < kGainCount; ++i) {
        gains[i] = static_cast<std::uint8_t>(fields_.gains[i]);
    }
    writeGains(path, gains, session_.firmware() ? firmwareText(*session_.firmware()) : std::string());
}

bool ParamDialog::writeGains(const std::string& path, const Gains& gains, const std::string& firmware) {
    if (std::string why; !writeGainFileAt(path, gains, firmware, why)) {
        view_.messageBox({std::string(text::kParamDialogTitle), "The gains could not be saved.",
                          "Cannot write " + path + ": " + why + ".", MessageBoxRequest::Icon::Warning});
        return false;
    }
    JournalEntry entry;
    entry.kind = JournalEntry::Kind::FileSaved;
    entry.file = path;
    entry.gains.emplace();
    std::copy(gains.begin(), gains.end(), entry.gains->begin());
    session_.record(std::move(entry));
    showStatus("Gains saved to " + fileName(path) + ".", kCountdownNotice);
    return true;
}

void ParamDialog::loadGainFile(const std::string& path) {
    const ReadFile file = readFile(path);
    if (!file.read) {
        view_.messageBox({std::string(text::kParamDialogTitle),
                          "The gains of " + fileName(path) + " were not loaded.", file.problems,
                          MessageBoxRequest::Icon::Warning});
        return;
    }
    beforeGridChange();
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (file.read->values[i]) {
            fields_.gains[i] = *file.read->values[i];
            markTouched(i);
        }
    }
    showGrid();
    JournalEntry entry;
    entry.kind = JournalEntry::Kind::FileLoaded;
    entry.file = path;
    entry.gains = file.read->values;
    session_.record(std::move(entry));
    showStatus("Gains loaded from " + fileName(path) + ", not sent yet.", kCountdownNotice);
    if (!file.problems.empty()) {
        view_.messageBox({std::string(text::kParamDialogTitle),
                          fileName(path) + " is not quite this controller's: the other gains were loaded.",
                          file.problems, MessageBoxRequest::Icon::Warning});
    }
}

void ParamDialog::compareWithGainFile(const std::string& path) {
    const ReadFile file = readFile(path);
    if (!file.read) {
        view_.messageBox({std::string(text::kParamDialogTitle), fileName(path) + " cannot be compared.",
                          file.problems, MessageBoxRequest::Icon::Warning});
        return;
    }
    std::vector<std::string> differences;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        const std::string shown(exchange_.shown(kGainEdits[i]));
        if (file.read->values[i] && parseDialogInteger(shown) != *file.read->values[i]) {
            differences.push_back(std::string(kGains[i].label) + ": " + shown + " here, " +
                                  std::to_string(*file.read->values[i]) + " in the file");
        }
    }
    if (differences.empty() && file.problems.empty()) {
        showStatus("The grid matches " + fileName(path) + ".", kCountdownNotice);
        return;
    }
    // A file that leaves gains out or names others is never "the same" as the grid.
    const std::string text =
        differences.empty()
            ? "The grid matches " + fileName(path) + " where it gives a gain, but it is not quite this controller's."
            : "The grid and " + fileName(path) + " differ in " + gainCount(differences.size()) + ".";
    if (!file.problems.empty()) {
        differences.push_back(file.problems);
    }
    view_.messageBox(
        {std::string(text::kParamDialogTitle), text, joined(differences), MessageBoxRequest::Icon::None});
}

} // namespace tq37r
