// A command's text in a Windows menu, for the menu bar's resource and the background menu alike.
#pragma once

#include <string>

#include "core/BackgroundMenu.h"

namespace tq37r {

// The label, then its shortcut after a tab, which Windows sets flush right: "Save gains to a
// file…\tCtrl+S".
inline std::string menuLabel(const MenuItem& item) {
    std::string label(item.label);
    if (item.shortcutLetter != 0) {
        label += std::string("\tCtrl+") + item.shortcutLetter;
    }
    return label;
}

} // namespace tq37r
