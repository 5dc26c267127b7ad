#pragma once

#include <cstddef>
#include <span>
#include <string>
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

} // namespace tq37r
