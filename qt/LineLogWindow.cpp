#include "qt/LineLogWindow.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

#include "core/DialogTexts.h"
#include "core/ParamDialog.h"
#include "qt/ModalHooks.h"
#include "qt/Utf8.h"
#include "qt/WindowPlaces.h"

namespace tq37r {

LineLogModel::LineLogModel(const LineLog& log, QObject* parent) : QAbstractListModel(parent), log_(log) {
    sync();
}

void LineLogModel::sync() {
    const std::uint64_t end = log_.total();
    const std::uint64_t first = end - log_.size();
    // Rows the ring dropped or Clear removed go from the start...
    if (first > first_ && end_ > first_) {
        const std::uint64_t gone = std::min(first, end_) - first_;
        beginRemoveRows({}, 0, static_cast<int>(gone) - 1);
        first_ += gone;
        endRemoveRows();
    }
    if (first_ == end_) {
        first_ = end_ = first; // nothing shown: start at the first kept
    }
    // ...and rows made since come at the end.
    if (end > end_) {
        beginInsertRows({}, static_cast<int>(end_ - first_), static_cast<int>(end - first_) - 1);
        end_ = end;
        endInsertRows();
    }
}

int LineLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(end_ - first_);
}

QVariant LineLogModel::data(const QModelIndex& index, int role) const {
    const std::uint64_t sequence = first_ + static_cast<std::uint64_t>(index.row());
    const std::uint64_t kept = log_.total() - log_.size();
    if (role != Qt::DisplayRole || !index.isValid() || sequence < kept || sequence >= log_.total()) {
        return {}; // dropped since the last look: gone at the next
    }
    return fromUtf8(LineLog::format(log_.at(static_cast<std::size_t>(sequence - kept))));
}

LineLogWindow::LineLogWindow(ParamDialog& core, QWidget* dialog)
    : QWidget(dialog, Qt::Window), core_(core), model_(core.lineLog(), this), counts_(new QLabel(this)),
      lines_(new QListView(this)), pause_(new QPushButton(fromUtf8(text::kLineLogPause), this)) {
    setWindowTitle(fromUtf8(text::kLineLogTitle));
    setAttribute(Qt::WA_DeleteOnClose); // closed, it gives its memory back; the log stays with the core
    lines_->setModel(&model_);
    lines_->setUniformItemSizes(true); // the view asks for no row it does not show
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
        model_.sync();
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
    moveBesideDialog(this, dialog);
    connect(&timer_, &QTimer::timeout, this, [this] { refresh(); });
    timer_.start(200);
    refresh();
}

void LineLogWindow::refresh() {
    const LineLog& log = core_.lineLog();
    counts_->setText(fromUtf8(LineLog::countsText(log.counts())));
    if (pause_->isChecked()) {
        return;
    }
    // It follows the end unless the operator scrolled back to read.
    const QScrollBar* bar = lines_->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    model_.sync();
    if (following) {
        lines_->scrollToBottom();
    }
}

void LineLogWindow::saveLog() {
    if (const QString path = ModalHooks::askFile(this, kLineLogFiles, true); !path.isEmpty()) {
        core_.saveLineLog(path.toStdString());
    }
}

} // namespace tq37r
