#include "qt/HistoryWindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "core/HistoryBrowser.h"
#include "qt/Utf8.h"
#include "qt/WindowPlaces.h"

namespace tq37r {
int HistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(browser_.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kHistoryColumns.size());
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) {
        return {};
    }
    return fromUtf8(historyCell(browser_.row(static_cast<std::size_t>(index.row())),
                                static_cast<std::size_t>(index.column())));
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(kHistoryColumns.size())) {
        return {};
    }
    return fromUtf8(kHistoryColumns[static_cast<std::size_t>(section)]);
}

HistoryWindow::HistoryWindow(HistoryBrowser& browser, QWidget* dialog)
    : QWidget(dialog, Qt::Window), browser_(browser), model_(new HistoryModel(browser, this)),
      table_(new QTableView(this)), withDefaults_(new QCheckBox(fromUtf8(text::kHistoryWithDefaults), this)),
      differences_(new QPlainTextEdit(this)) {
    setWindowTitle(fromUtf8(text::kHistoryTitle));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4); // uniform rows
    table_->horizontalHeader()->setStretchLastSection(true);
    differences_->setReadOnly(true);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { showDifferences(); });
    connect(withDefaults_, &QCheckBox::toggled, this, [this] { showDifferences(); });
    auto* buttons = new QHBoxLayout;
    for (const HistoryAction& action : kHistoryActions) {
        auto* button = new QPushButton(fromUtf8(action.caption), this);
        connect(button, &QPushButton::clicked, this, [this, run = action.run] { onOneRow(run); });
        buttons->addWidget(button);
    }
    buttons->addStretch();
    buttons->addWidget(withDefaults_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 3);
    layout->addLayout(buttons);
    layout->addWidget(differences_, 1);
    resize(720, dialog->height());
    moveBesideDialog(this, dialog);
}

void HistoryWindow::refresh() {
    model_->reset();
    showDifferences();
}

std::vector<std::size_t> HistoryWindow::selectedRows() const {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        rows.push_back(static_cast<std::size_t>(index.row()));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void HistoryWindow::showDifferences() {
    const std::vector<std::size_t> rows = selectedRows();
    differences_->setPlainText(fromUtf8(browser_.differences(rows, withDefaults_->isChecked())));
    model_->dataChanged(model_->index(0, 6), model_->index(std::max(0, model_->rowCount({}) - 1), 6));
}

void HistoryWindow::onOneRow(void (HistoryBrowser::*action)(std::size_t)) {
    const std::vector<std::size_t> rows = selectedRows();
    if (rows.size() != 1) {
        differences_->setPlainText(fromUtf8(text::kHistorySelectOne));
        return;
    }
    (browser_.*action)(rows.front());
    refresh();
}

} // namespace tq37r
