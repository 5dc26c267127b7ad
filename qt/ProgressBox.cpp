#include "qt/ProgressBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace tq37r {

ProgressBox::ProgressBox(const QString& title, const QString& text, int steps, QWidget* parent)
    : QDialog(parent), text_(new QLabel(text, this)), bar_(new QProgressBar(this)) {
    setWindowTitle(title);
    setModal(true);
    bar_->setRange(0, steps);
    bar_->setValue(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    layout->addWidget(buttons);
    setMinimumWidth(320);
}

void ProgressBox::setStep(int step, const QString& text) {
    bar_->setValue(step);
    text_->setText(text);
}

} // namespace tq37r
