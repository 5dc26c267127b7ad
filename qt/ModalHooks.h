#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>

#include "core/BackgroundMenu.h"
#include "core/DialogView.h"

class QWidget;

namespace tq37r {

// Modal boxes and file dialogs go through here, so that a test can answer them instead of
// blocking on them.
class ModalHooks {
public:
    using MessageBoxHook = std::function<MessageBoxAnswer(const MessageBoxRequest&)>;
    // Gets whether a file is to be opened (or saved), returns the chosen path or "" for none.
    using FileDialogHook = std::function<QString(bool forSaving)>;
    // Gets the request, returns the text entered or nullopt for Cancel.
    using TextHook = std::function<std::optional<std::string>(const TextRequest&)>;

    // Shows the box, or hands the request to the installed hook.
    static MessageBoxAnswer showMessageBox(QWidget* owner, const MessageBoxRequest& request);
    // The platform's file dialog for files of this kind, or the hook's answer.
    static QString askFile(QWidget* owner, const FileChoice& choice, bool forSaving,
                           const QString& folder = {});
    // A line of text in a box with OK and Cancel, or the hook's answer.
    static std::optional<std::string> askText(QWidget* owner, const TextRequest& request);

    // Each installs a hook (an empty one restores the real dialogs) and returns the previous one.
    static MessageBoxHook setMessageBoxHook(MessageBoxHook hook);
    static FileDialogHook setFileDialogHook(FileDialogHook hook);
    static TextHook setTextHook(TextHook hook);
};

} // namespace tq37r
