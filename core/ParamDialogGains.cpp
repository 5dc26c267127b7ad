// Gain files from the window: the grid saved to a file, a file loaded into the grid, and
// the grid compared with a file.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/DialogInteger.h"
#include "core/DialogTexts.h"
#include "core/DialogView.h"
#include "core/GainGrid.h"
#include "core/ParamDialog.h"

namespace tq37r {
namespace {

// A gain file is a page of text; anything far larger is not one, and is not read into memory.
constexpr std::streamsize kMaxGainFileSize = 1 << 20;

// Paths are UTF-8 inside; the file system gets them in its own encoding (UTF-16 on Windows).
std::filesystem::path fromUtf8(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string fileName(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<std::string> readSmallFile(const std::string& path, std::string& why) {
    std::ifstream in(fromUtf8(path), std::ios::binary);
    if (!in) {
        why = "The file cannot be read.";
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(kMaxGainFileSize) + 1, '\0');
    in.read(text.data(), kMaxGainFileSize + 1);
    if (in.gcount() > kMaxGainFileSize) {
        why = "The file is far too large to be a gain file.";
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

std::string today() {
    const std::chrono::year_month_day date{
        std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += (text.empty() ? "" : "\n") + line;
    }
    return text;
}

} // namespace

void ParamDialog::saveGainFile(const std::string& path) {
    if (!UpdateData(true)) {
        return; // the prompt has said which entry to fix
    }
    Gains gains{};
    for (std::size_t i = 0; i < kGainCount; ++i) {
        gains[i] = static_cast<std::uint8_t>(fields_.*kGainNames[i].field);
    }
    GainFileHeader header;
    header.date = today();
    if (firmware_) {
        char firmware[48];
        std::snprintf(firmware, sizeof firmware, "TQ-%u firmware %.2f", firmware_->model, firmware_->version);
        header.firmware = firmware;
    }
    std::ofstream out(fromUtf8(path), std::ios::binary | std::ios::trunc);
    out << writeGainFile(gains, header);
    out.close();
    if (!out) {
        view_.messageBox({std::string(text::kParamDialogTitle), "The gains could not be saved.",
                          "Cannot write " + path, MessageBoxRequest::Icon::Warning});
        return;
    }
    showStatus("Gains saved to " + fileName(path) + ".", kCountdownNotice);
}

void ParamDialog::loadGainFile(const std::string& path) {
    std::string why;
    const std::optional<std::string> text = readSmallFile(path, why);
    const GainFileRead read = text ? readGainFile(*text) : GainFileRead{};
    if (!text || !read.accepted()) {
        view_.messageBox(
            {std::string(text::kParamDialogTitle), "The gains of " + fileName(path) + " were not loaded.",
             text ? joined(describeGainFileProblems(read)) : why, MessageBoxRequest::Icon::Warning});
        return;
    }
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (read.values[i]) {
            fields_.*kGainNames[i].field = *read.values[i];
            gains_.touched(i);
        }
    }
    UpdateData(false);
    refreshTints();
    showStatus("Gains loaded from " + fileName(path) + ", not sent yet.", kCountdownNotice);
    if (!read.unknownNames.empty() || !read.missingNames.empty()) {
        view_.messageBox({std::string(text::kParamDialogTitle),
                          fileName(path) + " is not quite this controller's: the other gains were loaded.",
                          joined(describeGainFileProblems(read)), MessageBoxRequest::Icon::Warning});
    }
}

void ParamDialog::compareWithGainFile(const std::string& path) {
    std::string why;
    const std::optional<std::string> text = readSmallFile(path, why);
    const GainFileRead read = text ? readGainFile(*text) : GainFileRead{};
    if (!text || !read.accepted()) {
        view_.messageBox({std::string(text::kParamDialogTitle), fileName(path) + " cannot be compared.",
                          text ? joined(describeGainFileProblems(read)) : why,
                          MessageBoxRequest::Icon::Warning});
        return;
    }
    std::vector<std::string> differences;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        const std::string shown = view_.text(kGridGains[i].editId);
        if (read.values[i] && parseDialogInteger(shown) != *read.values[i]) {
            differences.push_back(std::string(kGridGains[i].label) + ": " + shown + " here, " +
                                  std::to_string(*read.values[i]) + " in the file");
        }
    }
    std::vector<std::string> problems = describeGainFileProblems(read);
    if (differences.empty() && problems.empty()) {
        showStatus("The grid matches " + fileName(path) + ".", kCountdownNotice);
        return;
    }
    differences.insert(differences.end(), problems.begin(), problems.end());
    view_.messageBox({std::string(text::kParamDialogTitle),
                      "The grid and " + fileName(path) + " differ in " +
                          std::to_string(differences.size() - problems.size()) + " gains.",
                      joined(differences), MessageBoxRequest::Icon::None});
}

} // namespace tq37r
