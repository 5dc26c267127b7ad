#include "qt/ModalHooks.h"
#include "qt/Utf8.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

#include <utility>

#include "core/BackgroundMenu.h"

namespace tq37r {
namespace {

ModalHooks::MessageBoxHook& messageBoxHook() {
    static ModalHooks::MessageBoxHook hook;
    return hook;
}

ModalHooks::FileDialogHook& fileDialogHook() {
    static ModalHooks::FileDialogHook hook;
    return hook;
}

ModalHooks::TextHook& textHook() {
    static ModalHooks::TextHook hook;
    return hook;
}

QMessageBox::Icon iconOf(MessageBoxRequest::Icon icon) {
    switch (icon) {
    case MessageBoxRequest::Icon::Warning:
        return QMessageBox::Warning;
    case MessageBoxRequest::Icon::Question:
        return QMessageBox::Question;
    case MessageBoxRequest::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageBoxAnswer ModalHooks::showMessageBox(QWidget* owner, const MessageBoxRequest& request) {
    if (const MessageBoxHook& hook = messageBoxHook()) {
        return hook(request);
    }
    const bool question = request.buttons == MessageBoxRequest::Buttons::OkCancel;
    QMessageBox box(iconOf(request.icon), fromUtf8(request.title), fromUtf8(request.text),
                    question ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, owner);
    box.setInformativeText(fromUtf8(request.detail));
    if (question) {
        box.setDefaultButton(QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    return box.exec() == QMessageBox::Ok ? MessageBoxAnswer::Ok : MessageBoxAnswer::Cancel;
}

QString ModalHooks::askFile(QWidget* owner, const FileChoice& choice, bool forSaving, const QString& folder) {
    if (const FileDialogHook& hook = fileDialogHook()) {
        return hook(forSaving);
    }
    const QString extension = fromUtf8(choice.extension);
    const QString filter =
        fromUtf8(choice.filterName) + QStringLiteral(" (*.") + extension + QStringLiteral(");;All files (*)");
    if (!forSaving) {
        return QFileDialog::getOpenFileName(owner, QStringLiteral("Open"), folder, filter);
    }
    const QString name = fromUtf8(choice.defaultName);
    QString path = QFileDialog::getSaveFileName(
        owner, QStringLiteral("Save"), folder.isEmpty() ? name : folder + QStringLiteral("/") + name, filter);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".") + extension;
    }
    return path;
}

std::optional<std::string> ModalHooks::askText(QWidget* owner, const TextRequest& request) {
    if (const TextHook& hook = textHook()) {
        return hook(request);
    }
    bool ok = false;
    const QString text = QInputDialog::getText(owner, fromUtf8(request.title), fromUtf8(request.text),
                                               QLineEdit::Normal, fromUtf8(request.initial), &ok);
    return ok ? std::optional(text.toStdString()) : std::nullopt;
}

ModalHooks::TextHook ModalHooks::setTextHook(TextHook hook) {
    return std::exchange(textHook(), std::move(hook));
}

ModalHooks::MessageBoxHook ModalHooks::setMessageBoxHook(MessageBoxHook hook) {
    return std::exchange(messageBoxHook(), std::move(hook));
}

ModalHooks::FileDialogHook ModalHooks::setFileDialogHook(FileDialogHook hook) {
    return std::exchange(fileDialogHook(), std::move(hook));
}

} // namespace tq37r
