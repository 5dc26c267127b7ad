#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace tq37r {

// A modal box with a line of text, a progress bar and Cancel. Unlike QProgressDialog, setting
// its value never runs the event loop, so the code that reports progress is not re-entered.
class ProgressBox final : public QDialog {
public:
    ProgressBox(const QString& title, const QString& text, int steps, QWidget* parent);
    void setStep(int step, const QString& text);

private:
    QLabel* text_;
    QProgressBar* bar_;
};

} // namespace tq37r
