#pragma once

#include <string>

namespace tq37r {

// What the error code of a failed call means, in the system's words: an errno on Linux, a
// GetLastError() on Windows (OpenResult::osError is either).
std::string osErrorText(int osError);

} // namespace tq37r
