#pragma once

#include <QTimer>
#include <QWidget>

#include <cstdint>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tq37r {

class ParamDialog;

// The line log, live, in a window of its own beside the dialog: the counts at the top, one
// line an entry below, and Pause, "Save log…" and Clear. Closing it only hides it; the log
// goes on being kept by the core.
class LineLogWindow final : public QWidget {
public:
    LineLogWindow(ParamDialog& core, QWidget* dialog);

    // Shows what came since the last look (the timer does it a few times a second).
    void refresh();
    QPlainTextEdit* lines() const { return lines_; }

private:
    void saveLog();
    // Whole on the dialog's screen, beside the dialog where there is room.
    void placeBeside(const QWidget* dialog);

    ParamDialog& core_;
    QLabel* counts_;
    QPlainTextEdit* lines_;
    QPushButton* pause_;
    QTimer timer_;
    std::uint64_t shown_ = 0; // the sequence of the last entry shown
};

} // namespace tq37r
