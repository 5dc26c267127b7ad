#include <windows.h>

#include <commctrl.h>

#include "serial/win32/Win32SerialPort.h"
#include "win32/Win32ParamWindow.h"

// The application: one modal dialog, then the process ends. The port outlives the window,
// whose core closes it (joining the watcher) when the window object goes.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    tq37r::Win32SerialPort port;
    tq37r::Win32ParamWindow window(port, instance);
    return window.run() < 0 ? 1 : 0;
}
