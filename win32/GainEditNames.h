#pragma once

#include <windows.h>

struct IAccPropServices;

namespace tq37r {

// While it lives, the gain edits of `dialog` carry names for screen readers, their row and label
// ("Pitch Control, Level Coefficient"), which would otherwise take the label before each (a
// row's title or a column's) or none. Without the system's service (COM must be set up on this
// thread) the edits keep the names the system gives them.
class GainEditNames {
public:
    explicit GainEditNames(HWND dialog);
    // Takes the names back: before the edits go.
    ~GainEditNames();
    GainEditNames(const GainEditNames&) = delete;
    GainEditNames& operator=(const GainEditNames&) = delete;

private:
    HWND dialog_;
    IAccPropServices* service_ = nullptr;
};

} // namespace tq37r
