#pragma once

#include <windows.h>

#include <commctrl.h>

namespace tq37r {

// A button's custom-draw notification: a caption that wraps (BS_MULTILINE) is drawn here,
// wrapped to the button's own width. Wine wraps it to the width of its longest line, less the
// space after it, so that line breaks again and the caption takes a line per word, clipped.
// Returns the custom-draw answer for the dialog procedure.
LRESULT drawMultilineCaption(const NMCUSTOMDRAW& draw);

} // namespace tq37r
