#include "app/ParamApp.h"

#include "qt/EventLoopPortWatcher.h"
#include "qt/ParamWindow.h"

namespace tq37r {

bool ParamApp::InitInstance() {
    const auto port = makeWindowPort();
    ParamWindow window(*port, [] { return makeWindowPort(); });
    window.exec();
    // Leaving the scope closes the port.
    return false;
}

} // namespace tq37r
