#include "core/GridUndo.h"

namespace tq37r {

void GridUndo::beforeChange(const GridState& now, std::optional<int> typingIn) {
    if (typingIn && typingIn == typingIn_) {
        return;
    }
    typingIn_ = typingIn;
    if (!undo_.empty() && undo_.back() == now) {
        return;
    }
    undo_.push_back(now);
    if (undo_.size() > kDepth) {
        undo_.erase(undo_.begin());
    }
    redo_.clear();
}

std::optional<GridState> GridUndo::undo(const GridState& now) {
    if (undo_.empty()) {
        return std::nullopt;
    }
    typingIn_.reset();
    GridState back = std::move(undo_.back());
    undo_.pop_back();
    redo_.push_back(now);
    return back;
}

std::optional<GridState> GridUndo::redo(const GridState& now) {
    if (redo_.empty()) {
        return std::nullopt;
    }
    typingIn_.reset();
    GridState forward = std::move(redo_.back());
    redo_.pop_back();
    undo_.push_back(now);
    return forward;
}

} // namespace tq37r
