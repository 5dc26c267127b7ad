#pragma once

#include <windows.h>

#include <string>

#include "core/BackgroundMenu.h"

namespace tq37r {

// The system's file dialog for files of this kind, owned by `owner`: the path the operator
// picks, UTF-8, or "" when cancelled.
std::string askFilePath(HWND owner, const FileChoice& choice, bool forSaving);

} // namespace tq37r
