#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "device/GainTable.h"

namespace tq37r {

// The grid as the operator sees it: each gain's text, and whether its value came from here.
struct GridState {
    std::array<std::string, kGainCount> texts;
    std::array<bool, kGainCount> touched{};
    friend bool operator==(const GridState&, const GridState&) = default;
};

// Undo and redo over the operator's changes to the grid: typing (one step for a run of typing in
// one edit), a loaded file or snapshot, the defaults, a gain reset. Replies from the controller
// are no step of the operator's, and nothing here ever sends anything.
class GridUndo {
public:
    static constexpr std::size_t kDepth = 100;

    // The grid is about to change from `now`; `typingIn` is the edit being typed into, if it is
    // typing: more typing into the same edit joins the step it began.
    void beforeChange(const GridState& now, std::optional<int> typingIn = std::nullopt);
    // Something other than the operator changed the grid (a read-back): typing starts a new step.
    void endTyping() { typingIn_.reset(); }
    // The state to show instead of `now`, which goes onto the other stack; nullopt when none.
    std::optional<GridState> undo(const GridState& now);
    std::optional<GridState> redo(const GridState& now);
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }

private:
    std::vector<GridState> undo_;
    std::vector<GridState> redo_;
    std::optional<int> typingIn_;
};

} // namespace tq37r
