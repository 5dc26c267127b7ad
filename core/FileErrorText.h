#pragma once

#include <string>

namespace tq37r {

// Why a file could not be written, in words for a person ("the disk is full"): `osError` is an
// errno on Linux and a GetLastError() on Windows. Errors without words of ours keep the system's.
std::string fileErrorText(int osError);

} // namespace tq37r
