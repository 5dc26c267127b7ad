#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace tq37r {

// The commands of the window's menu bar and of the dialog background's context menu, the same
// on every face. They go to ParamDialog::onMenuCommand; a command with a shortcut letter also
// comes from Ctrl+letter.
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
    FlightSettings,
    Help,
    Exit,
};

struct MenuItem {
    MenuCommand command;
    std::string_view label;
    char shortcutLetter; // Ctrl+this letter; 0 for none
    char shiftedLetter;  // also Ctrl+Shift+this letter; 0 for none
};

// Every command, with its label and keys.
inline constexpr std::array<MenuItem, 12> kMenuItems{{
    {MenuCommand::SaveGains, "Save gains to a file…", 'S', 0},
    {MenuCommand::LoadGains, "Load gains from a file…", 'O', 0},
    {MenuCommand::CompareWithFile, "Compare with file…", 0, 0},
    {MenuCommand::History, "History…", 'H', 0},
    {MenuCommand::Undo, "Undo", 'Z', 0},
    {MenuCommand::Redo, "Redo", 'Y', 'Z'},
    {MenuCommand::FindController, "Find controller…", 0, 0},
    {MenuCommand::LineLog, "Line log…", 0, 0},
    {MenuCommand::About, "About", 0, 0},
    {MenuCommand::FlightSettings, "Flight settings…", 0, 0},
    {MenuCommand::Help, "Help", 0, 0},
    {MenuCommand::Exit, "Exit", 0, 0},
}};

constexpr const MenuItem& menuItem(MenuCommand command) {
    for (const MenuItem& item : kMenuItems) {
        if (item.command == command) {
            return item;
        }
    }
    return kMenuItems.front();
}

// The dialog background's context menu.
inline constexpr std::array<MenuItem, 9> kBackgroundMenu{{
    menuItem(MenuCommand::SaveGains),
    menuItem(MenuCommand::LoadGains),
    menuItem(MenuCommand::CompareWithFile),
    menuItem(MenuCommand::History),
    menuItem(MenuCommand::Undo),
    menuItem(MenuCommand::Redo),
    menuItem(MenuCommand::FindController),
    menuItem(MenuCommand::LineLog),
    menuItem(MenuCommand::About),
}};

// The window's menu bar: a menu's title (its letter after "&" opens it with Alt) and items;
// MenuCommand{} stands for a separator.
struct Menu {
    std::string_view title;
    std::span<const MenuCommand> items;
};
namespace menubar {
inline constexpr MenuCommand kFile[] = {
    MenuCommand::SaveGains, MenuCommand::LoadGains, MenuCommand::CompareWithFile,
    MenuCommand::History,   MenuCommand{},          MenuCommand::Exit};
inline constexpr MenuCommand kEdit[] = {MenuCommand::Undo, MenuCommand::Redo};
inline constexpr MenuCommand kController[] = {MenuCommand::FindController, MenuCommand::FlightSettings,
                                              MenuCommand::LineLog};
inline constexpr MenuCommand kHelp[] = {MenuCommand::Help, MenuCommand::About};
} // namespace menubar
inline constexpr std::array<Menu, 4> kMenuBar{{
    {"&File", menubar::kFile},
    {"&Edit", menubar::kEdit},
    {"&Controller", menubar::kController},
    {"&Help", menubar::kHelp},
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
