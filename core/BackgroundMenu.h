#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace tq37r {

// The dialog background's context menu, the same on every face. Its commands go to
// ParamDialog::onMenuCommand; a command with a shortcut letter also comes from Ctrl+letter.
enum class MenuCommand : int {
    SaveGains = 1,
    LoadGains,
    CompareWithFile,
    History,
    Undo,
    Redo,
    FindController,
    LineLog,
    About,
};

struct MenuItem {
    MenuCommand command;
    std::string_view label;
    char shortcutLetter; // Ctrl+this letter; 0 for none
    char shiftedLetter;  // also Ctrl+Shift+this letter; 0 for none
};

inline constexpr std::array<MenuItem, 9> kBackgroundMenu{{
    {MenuCommand::SaveGains, "Save gains to a file…", 'S', 0},
    {MenuCommand::LoadGains, "Load gains from a file…", 'O', 0},
    {MenuCommand::CompareWithFile, "Compare with file…", 0, 0},
    {MenuCommand::History, "History…", 'H', 0},
    {MenuCommand::Undo, "Undo", 'Z', 0},
    {MenuCommand::Redo, "Redo", 'Y', 'Z'},
    {MenuCommand::FindController, "Find controller…", 0, 0},
    {MenuCommand::LineLog, "Line log…", 0, 0},
    {MenuCommand::About, "About", 0, 0},
}};

// What a file dialog offers: the kind of file, by its extension, and a name to start from.
struct FileChoice {
    std::string_view filterName;
    std::string_view extension;
    std::string_view defaultName;
};

inline constexpr FileChoice kGainFiles{"Gain files", "gains", "tuning.gains"};
inline constexpr FileChoice kLineLogFiles{"Text files", "txt", "tq37r-line-log.txt"};

// A drop the window takes: exactly one file, named like a gain file (case aside).
bool isGainFileDrop(std::span<const std::string> paths);

} // namespace tq37r
