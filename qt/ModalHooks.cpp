#include "qt/ModalHooks.h"

#include <QMessageBox>

#include <utility>

namespace tq37r {
namespace {

ModalHooks::MessageBoxHook& installedHook() {
    static ModalHooks::MessageBoxHook hook;
    return hook;
}

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void ModalHooks::showMessageBox(QWidget* owner, const MessageBoxRequest& request) {
    if (const MessageBoxHook& hook = installedHook()) {
        hook(request);
        return;
    }
    const QMessageBox::Icon icon =
        request.icon == MessageBoxRequest::Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon;
    QMessageBox box(icon, fromUtf8(request.title), fromUtf8(request.text), QMessageBox::Ok, owner);
    box.setInformativeText(fromUtf8(request.detail));
    box.exec();
}

ModalHooks::MessageBoxHook ModalHooks::setMessageBoxHook(MessageBoxHook hook) {
    return std::exchange(installedHook(), std::move(hook));
}

} // namespace tq37r
