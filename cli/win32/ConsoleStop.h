#pragma once

#include <windows.h>

namespace tq37r::cli {

// Ctrl+C, Ctrl+Break and the console window closing, as the console tells a program of them on
// a thread of its own. Process-wide, from the first call on.

// They end the program at once with kExitInterrupted, the status a shell gives a command that
// Ctrl+C ended on Linux, rather than Windows' own status for it.
void endOnConsoleStop();

// From now on they set the returned event instead, which the command waits on beside its ports
// so that it can still finish its output; null when no event could be made (they then end the
// program). Call it once, from the command's thread: when the console closes, the program is given
// the few seconds Windows allows to let that thread finish.
HANDLE catchConsoleStops();

} // namespace tq37r::cli
