#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace tq37r {

// The dialog background's context menu, the same on every face. Its commands go to
// ParamDialog::onMenuCommand; a command with a shortcut letter also comes from Ctrl+letter.
enum class MenuCommand : int { SaveGains = 1, LoadGains, CompareWithFile, About };

struct MenuItem {
    MenuCommand command;
    std::string_view label;
    char shortcutLetter; // Ctrl+this letter; 0 for none
};

inline constexpr std::array<MenuItem, 4> kBackgroundMenu{{
    {MenuCommand::SaveGains, "Save gains to a file…", 'S'},
    {MenuCommand::LoadGains, "Load gains from a file…", 'O'},
    {MenuCommand::CompareWithFile, "Compare with file…", 0},
    {MenuCommand::About, "About", 0},
}};

// What the file dialogs of the gain-file commands offer.
inline constexpr std::string_view kGainFileExtension = "gains";
inline constexpr std::string_view kDefaultGainFileName = "tuning.gains";
inline constexpr std::string_view kGainFileFilterName = "Gain files";

// A drop the window takes: exactly one file, named like a gain file (case aside).
bool isGainFileDrop(std::span<const std::string> paths);

} // namespace tq37r
