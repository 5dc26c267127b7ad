#include "app/ParamApp.h"

#include "qt/ParamWindow.h"
#include "serial/posix/PosixSerialPort.h"

namespace tq37r {

bool ParamApp::InitInstance() {
    PosixSerialPort port;
    ParamWindow window(port);
    window.exec();
    // Leaving the scope stops the watcher and closes the port.
    return false;
}

} // namespace tq37r
