#pragma once

namespace tq37r {

// The application object: runs the one modal dialog, then lets the process end.
class ParamApp {
public:
    // Returns false: there is no message loop after the dialog.
    bool InitInstance();
};

} // namespace tq37r
