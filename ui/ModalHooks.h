#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

namespace tq37r {

struct MessageBoxRequest {
    QWidget* owner = nullptr;
    QString title;
    QString text;
    QString detail; // informative text under the message; empty for none
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Modal message boxes go through here, so that a test can see them instead of blocking on them.
class ModalHooks {
public:
    using MessageBoxHook = std::function<void(const MessageBoxRequest&)>;

    // Shows an OK-only box, or hands the request to the installed hook.
    static void showMessageBox(const MessageBoxRequest& request);
    // Installs a hook (an empty one restores real boxes) and returns the previous one.
    static MessageBoxHook setMessageBoxHook(MessageBoxHook hook);
};

} // namespace tq37r
