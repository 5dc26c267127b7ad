#include "app/ParamApp.h"

#include "ui/ParamDialog.h"

namespace tq37r {

bool ParamApp::InitInstance() {
    ParamDialog dialog;
    dialog.exec();
    // Leaving the scope stops the watcher and closes the port.
    return false;
}

} // namespace tq37r
