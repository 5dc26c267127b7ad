#include "ui/DataExchange.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>

#include "ui/DialogInteger.h"
#include "ui/ModalHooks.h"
#include "ui/ParamBindings.h"
#include "ui/TemplateDialog.h"

namespace tq37r {

void DataExchange::toControls() {
    for (const IntegerBinding& binding : kIntegerTransferOrder) {
        if (QLineEdit* edit = dialog_.edit(binding.editId)) {
            edit->setText(QString::number(fields_.*binding.field));
        }
    }
}

std::size_t DataExchange::fromControls() {
    std::size_t taken = 0;
    for (const IntegerBinding& binding : kIntegerTransferOrder) {
        QLineEdit* edit = dialog_.edit(binding.editId);
        if (edit == nullptr) {
            return taken;
        }
        const auto value = parseDialogInteger(edit->text().toStdString());
        if (!value) {
            ModalHooks::showMessageBox(
                {&dialog_,
                 QGuiApplication::applicationDisplayName(),
                 QCoreApplication::translate("DataExchange", "Please enter an integer."),
                 {},
                 QMessageBox::Warning});
            edit->setFocus(Qt::OtherFocusReason);
            edit->selectAll();
            return taken;
        }
        fields_.*binding.field = *value;
        ++taken;
    }
    return taken;
}

} // namespace tq37r
