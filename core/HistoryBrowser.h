#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Journal.h"

namespace tq37r {

class DialogView;
class ParamDialog;

// The tuning history as the window shows it: the snapshots newest first, what a selection of
// them differs in, and what can be done with one (load it into the grid, label it, keep it as a
// gain file). Rows are worded when asked for, so a long history costs no more than its rows on screen.
class HistoryBrowser {
public:
    struct Row {
        std::string id;   // the first 8 characters, which name it unless two share them
        std::string time; // "2026-12-07 17:10:00"
        std::string port;
        std::string firmware;
        std::string kind; // "read" or "save"
        std::string label;
        std::size_t differFromGrid = 0;
    };

    HistoryBrowser(ParamDialog& dialog, DialogView& view, Journal& journal)
        : dialog_(dialog), view_(view), journal_(journal) {}

    // Reads the journal again (the window calls it when shown, and after a label).
    void reload();
    std::size_t size() const { return snapshots_.size(); }
    Row row(std::size_t index) const;
    // One selected: how it differs from the grid, or from the defaults; two: from each other.
    std::string differences(std::span<const std::size_t> selected, bool withDefaults) const;

    // Undoable, and nothing is sent: the gains show as changed here until Set.
    void loadIntoGrid(std::size_t index);
    // Asks for the label, then records it.
    void label(std::size_t index);
    // Asks for the file, then writes it.
    void saveAsGainFile(std::size_t index);

private:
    Gains gainsOf(std::size_t index) const;

    ParamDialog& dialog_;
    DialogView& view_;
    Journal& journal_;
    std::vector<Snapshot> snapshots_;
};

// What the history window says, on every face.
namespace text {
inline constexpr std::string_view kHistoryTitle = "Tuning history";
inline constexpr std::string_view kHistoryWithDefaults = "Compare one with the defaults";
inline constexpr std::string_view kHistorySelectOne = "Select one snapshot for this.";
} // namespace text

// The history's columns, worded from a Row, and the actions on the one row selected.
inline constexpr std::array<std::string_view, 7> kHistoryColumns{
    "Id", "Time", "Port", "Firmware", "Kind", "Label", "Differ from grid"};
struct HistoryAction {
    std::string_view caption;
    void (HistoryBrowser::*run)(std::size_t);
};
inline constexpr std::array<HistoryAction, 3> kHistoryActions{{
    {"Load into grid", &HistoryBrowser::loadIntoGrid},
    {"Label…", &HistoryBrowser::label},
    {"Save as gain file…", &HistoryBrowser::saveAsGainFile},
}};
// A row's cell of column `column`, as a table shows it.
std::string historyCell(const HistoryBrowser::Row& row, std::size_t column);

} // namespace tq37r
