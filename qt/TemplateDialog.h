#pragma once

#include <QDialog>

#include <unordered_map>
#include <vector>

#include "qt/DialogUnits.h"
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

class QComboBox;
class QLineEdit;
class QMenuBar;
class QPushButton;

namespace tq37r {

// A dialog whose controls are built from a template: one real widget per control, placed
// in dialog units of the template's font, in template order (which is also the tab order).
// Hidden controls exist like the others but are never shown. Every push button's click
// arrives at onCommand with the button's id.
class TemplateDialog : public QDialog {
public:
    explicit TemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);

    // The control with this id, or nullptr.
    QWidget* dlgItem(int id) const;
    QPushButton* button(int id) const;
    QLineEdit* edit(int id) const;
    QComboBox* combo(int id) const;

    // Every control, in template order, on the template's area: the client area of the
    // template's dialog, below a menu bar when there is one.
    const std::vector<QWidget*>& controls() const { return controls_; }
    QWidget* templateArea() const { return area_; }
    void setMenuBar(QMenuBar* bar);
    DialogBaseUnits baseUnits() const { return baseUnits_; }

protected:
    virtual void onCommand(int id) = 0;
    // Enter in a list's text field goes to the default button, as it does from an edit.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* createControl(const ControlTemplate& control);
    void fillCombos(const DialogTemplate& dialogTemplate);
    void chainTabOrder(const DialogTemplate& dialogTemplate);

    DialogBaseUnits baseUnits_;
    QWidget* area_ = nullptr;
    std::vector<QWidget*> controls_;
    std::unordered_map<int, QWidget*> byId_;
    QPushButton* defaultButton_ = nullptr;
};

// The list item a combo box has selected: none (-1) once text that is not the
// selected item's own has been typed into its text field.
int comboSelection(const QComboBox& combo);

} // namespace tq37r
