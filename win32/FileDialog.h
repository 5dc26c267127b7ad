#pragma once

#include <windows.h>

#include <string>

#include "core/BackgroundMenu.h"

namespace tq37r {

// The system's file dialog for files of this kind, owned by `owner`, starting in `folder` (UTF-8;
// "" for the system's choice): the path the operator picks, UTF-8, or "" when cancelled.
std::string askFilePath(HWND owner, const FileChoice& choice, bool forSaving, const std::string& folder = {});

} // namespace tq37r
