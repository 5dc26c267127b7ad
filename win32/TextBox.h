#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/DialogView.h"

namespace tq37r {

// The one-line text box of the resources (a label's text, say), modal over `owner`, with the
// request's title, prompt and initial text selected: the text entered (UTF-8), or nullopt when
// the operator cancelled.
std::optional<std::string> askTextInBox(HINSTANCE instance, HWND owner, const TextRequest& request);

} // namespace tq37r
