#pragma once

#include <functional>

#include "core/DialogView.h"

class QWidget;

namespace tq37r {

// Modal message boxes go through here, so that a test can see them instead of blocking on them.
class ModalHooks {
public:
    using MessageBoxHook = std::function<void(const MessageBoxRequest&)>;

    // Shows an OK-only box, or hands the request to the installed hook.
    static void showMessageBox(QWidget* owner, const MessageBoxRequest& request);
    // Installs a hook (an empty one restores real boxes) and returns the previous one.
    static MessageBoxHook setMessageBoxHook(MessageBoxHook hook);
};

} // namespace tq37r
