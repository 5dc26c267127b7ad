#include "qt/Utf8.h"
#include "qt/LineLogWindow.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "core/DialogTexts.h"
#include "core/ParamDialog.h"
#include "core/SideWindowPlacement.h"
#include "qt/ModalHooks.h"

namespace tq37r {
namespace {


} // namespace

LineLogWindow::LineLogWindow(ParamDialog& core, QWidget* dialog)
    : QWidget(dialog, Qt::Window), core_(core), counts_(new QLabel(this)), lines_(new QPlainTextEdit(this)),
      pause_(new QPushButton(fromUtf8(text::kLineLogPause), this)) {
    setWindowTitle(fromUtf8(text::kLineLogTitle));
    lines_->setReadOnly(true);
    lines_->setLineWrapMode(QPlainTextEdit::NoWrap);
    lines_->setMaximumBlockCount(static_cast<int>(LineLog::kCapacity));
    lines_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    pause_->setCheckable(true);
    connect(pause_, &QPushButton::toggled, this, [this](bool paused) {
        pause_->setText(fromUtf8(paused ? text::kLineLogResume : text::kLineLogPause));
        if (!paused) {
            refresh();
        }
    });
    auto* save = new QPushButton(fromUtf8(text::kLineLogSave), this);
    connect(save, &QPushButton::clicked, this, [this] { saveLog(); });
    auto* clear = new QPushButton(fromUtf8(text::kLineLogClear), this);
    connect(clear, &QPushButton::clicked, this, [this] {
        core_.clearLineLog();
        lines_->clear();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pause_);
    buttons->addWidget(save);
    buttons->addWidget(clear);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(counts_);
    layout->addWidget(lines_, 1);
    layout->addLayout(buttons);
    resize(640, dialog->height());
    placeBeside(dialog);
    connect(&timer_, &QTimer::timeout, this, [this] { refresh(); });
    timer_.start(200);
    refresh();
}

void LineLogWindow::placeBeside(const QWidget* dialog) {
    // Before it is first shown a window has no frame of its own yet; the dialog's is the same kind.
    const QRect frame = dialog->frameGeometry();
    const QSize margins = frame.size() - dialog->size();
    const QRect screen = dialog->screen()->availableGeometry();
    const ScreenRect place = placeBesideDialog({frame.x(), frame.y(), frame.width(), frame.height()},
                                               width() + margins.width(), height() + margins.height(),
                                               {screen.x(), screen.y(), screen.width(), screen.height()});
    move(place.x, place.y);
}

void LineLogWindow::refresh() {
    const LineLog& log = core_.lineLog();
    counts_->setText(QString::fromStdString(LineLog::countsText(log.counts())));
    if (pause_->isChecked()) {
        return;
    }
    for (const LineLog::Entry* entry : log.since(shown_)) {
        lines_->appendPlainText(QString::fromStdString(LineLog::format(*entry)));
    }
    shown_ = log.total();
}

void LineLogWindow::saveLog() {
    if (const QString path = ModalHooks::askFile(this, kLineLogFiles, true); !path.isEmpty()) {
        core_.saveLineLog(path.toStdString());
    }
}

} // namespace tq37r
