#pragma once

#include <string>
#include <vector>

namespace tq37r {

// The first of `arguments` (in order, those the window's own options left) that is not one of
// Qt's own (-platform offscreen, -style=Fusion, --reverse, ...), or "" when Qt takes them all.
// Anything else is a mistake to say, not to pass on to a window that would ignore it.
std::string firstArgumentQtDoesNotTake(const std::vector<std::string>& arguments);

} // namespace tq37r
