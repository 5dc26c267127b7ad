#include "ui/ModalHooks.h"

#include <utility>

namespace tq37r {
namespace {

ModalHooks::MessageBoxHook& installedHook() {
    static ModalHooks::MessageBoxHook hook;
    return hook;
}

} // namespace

void ModalHooks::showMessageBox(const MessageBoxRequest& request) {
    if (const MessageBoxHook& hook = installedHook()) {
        hook(request);
        return;
    }
    QMessageBox box(request.icon, request.title, request.text, QMessageBox::Ok, request.owner);
    box.setInformativeText(request.detail);
    box.exec();
}

ModalHooks::MessageBoxHook ModalHooks::setMessageBoxHook(MessageBoxHook hook) {
    return std::exchange(installedHook(), std::move(hook));
}

} // namespace tq37r
