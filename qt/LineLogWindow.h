#pragma once

#include <QAbstractListModel>
#include <QTimer>
#include <QWidget>

#include <cstdint>

class QLabel;
class QListView;
class QPushButton;

namespace tq37r {

class LineLog;
class ParamDialog;

// The line log's own ring as a list: a row is worded only while it is on screen, so a flood
// costs the window no more than the rows it shows, and nothing is copied.
class LineLogModel final : public QAbstractListModel {
public:
    LineLogModel(const LineLog& log, QObject* parent);
    // Takes in what the log made since the last look: new rows at the end, rows the ring dropped
    // (or Clear removed) from the start.
    void sync();
    int rowCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const LineLog& log_;
    std::uint64_t first_ = 0; // the sequence number of the first row
    std::uint64_t end_ = 0;   // one past the last row's
};

// The line log, live, in a window of its own beside the dialog: the counts at the top, one
// line an entry below, following the end unless scrolled back or paused, and Pause, "Save log…"
// and Clear. Closing it frees it; the log goes on being kept by the core.
class LineLogWindow final : public QWidget {
public:
    LineLogWindow(ParamDialog& core, QWidget* dialog);

    // Shows what came since the last look (the timer does it a few times a second).
    void refresh();
    QListView* lines() const { return lines_; }

private:
    void saveLog();

    ParamDialog& core_;
    LineLogModel model_;
    QLabel* counts_;
    QListView* lines_;
    QPushButton* pause_;
    QTimer timer_;
};

} // namespace tq37r
