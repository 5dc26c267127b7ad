#pragma once

#include <QAbstractTableModel>
#include <QWidget>

class QCheckBox;
class QPlainTextEdit;
class QTableView;

namespace tq37r {

class HistoryBrowser;

// The tuning history's snapshots as a table that words only the rows on screen, however long
// the journal.
class HistoryModel final : public QAbstractTableModel {
public:
    explicit HistoryModel(HistoryBrowser& browser, QObject* parent)
        : QAbstractTableModel(parent), browser_(browser) {}
    // The browser read the journal again.
    void reset() {
        beginResetModel();
        endResetModel();
    }
    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    HistoryBrowser& browser_;
};

// History…: the snapshots newest first, the differences of the one or two selected, and Load
// into grid, Label… and Save as gain file…. Closing it only hides it.
class HistoryWindow final : public QWidget {
public:
    HistoryWindow(HistoryBrowser& browser, QWidget* dialog);
    // Reads the journal again and shows it.
    void refresh();
    QTableView* table() const { return table_; }
    QPlainTextEdit* differences() const { return differences_; }

private:
    std::vector<std::size_t> selectedRows() const;
    void showDifferences();
    // Runs action on the one row selected; says so when there is not exactly one.
    void onOneRow(void (HistoryBrowser::*action)(std::size_t));

    HistoryBrowser& browser_;
    HistoryModel* model_;
    QTableView* table_;
    QCheckBox* withDefaults_;
    QPlainTextEdit* differences_;
};

} // namespace tq37r
