#include "qt/ParamWindow.h"
#include "qt/Utf8.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QTimerEvent>
#include <QUrl>

#include <algorithm>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "core/BackgroundMenu.h"
#include "core/FieldBindings.h"
#include "core/GainTexts.h"
#include "core/MessageMap.h"
#include "qt/FlightSettingsWindow.h"
#include "qt/HistoryWindow.h"
#include "qt/LineLogWindow.h"
#include "qt/ModalHooks.h"
#include "qt/ProgressBox.h"
#include "res/qt/Resources.h"

namespace tq37r {
namespace {

void handBackFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// The local files of a drag; anything that is not a local file makes it no gain-file drop.
std::vector<std::string> droppedFiles(const QMimeData* mime) {
    std::vector<std::string> paths;
    if (mime == nullptr || !mime->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : mime->urls()) {
        paths.push_back(url.isLocalFile() ? url.toLocalFile().toStdString() : std::string());
    }
    return paths;
}

QKeySequence shortcutOf(const MenuItem& item) {
    return item.shortcutLetter != 0 ? QKeySequence(QStringLiteral("Ctrl+") + QChar(item.shortcutLetter))
                                    : QKeySequence();
}

// The keys of a menu command: its Ctrl+letter, and Ctrl+Shift+letter where it has one.
std::vector<QKeySequence> keysOf(const MenuItem& item) {
    std::vector<QKeySequence> keys;
    if (item.shortcutLetter != 0) {
        keys.push_back(shortcutOf(item));
    }
    if (item.shiftedLetter != 0) {
        keys.emplace_back(QStringLiteral("Ctrl+Shift+") + QChar(item.shiftedLetter));
    }
    return keys;
}

} // namespace

ParamWindow::ParamWindow(SerialPort& port, ControllerSearch::PortMaker makePort, QWidget* parent)
    : TemplateDialog(paramDialogTemplate(), parent), serialEvents_(*this),
      core_(*this, *this, port, serialEvents_, std::move(makePort)), places_(core_.settings()) {
    initResources();
    QIcon appIcon;
    appIcon.addFile(QString::fromLatin1(kAppIconPath));
    appIcon.addFile(QString::fromLatin1(kAppIconLargePath));
    setWindowIcon(appIcon);
    core_.OnInitDialog();
    QComboBox* portList = combo(id::kPortList);
    connect(portList, &QComboBox::currentIndexChanged, this, [this] { core_.onPortListChanged(); });
    connect(portList, &QComboBox::editTextChanged, this, [this] { core_.onPortListChanged(); });
    // Only the operator's own edits: text the core writes is already accounted for.
    for (const int editId : kTransferOrder) {
        connect(edit(editId), &QLineEdit::textEdited, this, [this, editId] { core_.onEditChanged(editId); });
    }
    for (std::size_t i = 0; i < kGainCount; ++i) {
        edit(kGainEdits[i])->installEventFilter(this);
        edit(kGainEdits[i])->setAccessibleName(fromUtf8(gainAccessibleName(i)));
    }
    buildMenuBar();
    places_.follow(this, place::kDialog);
    setAcceptDrops(true);
}

ParamWindow::~ParamWindow() {
    // The lists outlive this part of the window while the base class deletes its children,
    // and may still signal (a focused list settles its text as it goes).
    combo(id::kPortList)->disconnect(this);
}

std::string ParamWindow::text(int id) const {
    QWidget* control = dlgItem(id);
    QString value;
    if (auto* lineEdit = qobject_cast<QLineEdit*>(control)) {
        value = lineEdit->text();
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        value = list->currentText();
    } else if (auto* pushButton = qobject_cast<QPushButton*>(control)) {
        value = pushButton->text();
    } else if (auto* multiline = qobject_cast<QPlainTextEdit*>(control)) {
        value = multiline->toPlainText();
    }
    return value.toStdString();
}

void ParamWindow::setText(int id, std::string_view text) {
    QWidget* control = dlgItem(id);
    if (auto* lineEdit = qobject_cast<QLineEdit*>(control)) {
        // A read-back rewrites every field, and QLineEdit::setText lays the text out again and
        // moves the cursor to the end even when the text is the same.
        const QString value = fromUtf8(text);
        if (lineEdit->text() != value) {
            lineEdit->setText(value);
        }
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        list->setEditText(fromUtf8(text));
    } else if (auto* pushButton = qobject_cast<QPushButton*>(control)) {
        pushButton->setText(fromUtf8(text));
    } else if (auto* multiline = qobject_cast<QPlainTextEdit*>(control)) {
        multiline->setPlainText(fromUtf8(text));
    }
}

int ParamWindow::selection(int id) const {
    const QComboBox* list = combo(id);
    return list != nullptr ? comboSelection(*list) : -1;
}

void ParamWindow::setSelection(int id, int index) {
    if (QComboBox* list = combo(id)) {
        list->setCurrentIndex(index);
    }
}

void ParamWindow::focus(int id) {
    if (QWidget* control = dlgItem(id)) {
        control->setFocus(Qt::OtherFocusReason);
        if (auto* lineEdit = qobject_cast<QLineEdit*>(control)) {
            lineEdit->selectAll();
        }
    }
}

void ParamWindow::setToolTip(int id, std::string_view text) {
    if (QWidget* control = dlgItem(id)) {
        control->setToolTip(fromUtf8(text));
    }
}

void ParamWindow::setTint(int id, GainTint tint) {
    QWidget* control = dlgItem(id);
    if (control == nullptr) {
        return;
    }
    QPalette palette = control->palette();
    const std::optional<TintColour> colour = tintColour(tint);
    palette.setColor(QPalette::Base, colour ? QColor(colour->red, colour->green, colour->blue)
                                            : this->palette().color(QPalette::Base));
    control->setPalette(palette);
}

// Modal: the box's own loop goes on handling timer ticks and the port; the core asked last.
void ParamWindow::messageBox(const MessageBoxRequest& request,
                             std::function<void(MessageBoxAnswer)> answered) {
    const MessageBoxAnswer answer = ModalHooks::showMessageBox(this, request);
    if (answered) {
        answered(answer);
    }
}

void ParamWindow::askFilePath(const FileChoice& choice, bool forSaving, const std::string& folder,
                              std::function<void(const std::string&)> chosen) {
    chosen(ModalHooks::askFile(this, choice, forSaving, QString::fromStdString(folder)).toStdString());
}

void ParamWindow::askText(const TextRequest& request,
                          std::function<void(const std::optional<std::string>&)> entered) {
    entered(ModalHooks::askText(this, request));
}

void ParamWindow::buildMenuBar() {
    auto* bar = new QMenuBar(this);
    for (const Menu& menu : kMenuBar) {
        QMenu* items = bar->addMenu(fromUtf8(menu.title));
        for (const MenuCommand command : menu.items) {
            if (command == MenuCommand{}) {
                items->addSeparator();
                continue;
            }
            // The menu's actions carry the keys: a shortcut of the window's own would be ambiguous.
            QAction* action = items->addAction(fromUtf8(menuItem(command).label));
            const std::vector<QKeySequence> keys = keysOf(menuItem(command));
            action->setShortcuts(QList<QKeySequence>(keys.begin(), keys.end()));
            connect(action, &QAction::triggered, this, [this, command] { core_.onMenuCommand(command); });
        }
    }
    setMenuBar(bar);
}

void ParamWindow::showFlightSettings() {
    if (flight_ == nullptr) {
        flight_ = new FlightSettingsWindow(core_, this);
        flight_->adjustSize();
        moveBesideDialog(flight_, this);
        places_.follow(flight_, place::kFlightSettings);
    }
    flight_->refresh();
    flight_->show();
    flight_->raise();
    flight_->activateWindow();
}

void ParamWindow::flightSettingsChanged() {
    if (flight_ != nullptr) {
        flight_->refresh();
    }
}

void ParamWindow::showHistory() {
    if (history_ == nullptr) {
        history_ = new HistoryWindow(core_.history(), this);
        places_.follow(history_, place::kHistory);
    }
    history_->refresh();
    history_->show();
    history_->raise();
    history_->activateWindow();
}

bool ParamWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto found = std::find_if(kGainEdits.begin(), kGainEdits.end(),
                                    [&](int editId) { return edit(editId) == watched; });
    if (found == kGainEdits.end()) {
        return TemplateDialog::eventFilter(watched, event);
    }
    QLineEdit* field = edit(*found);
    const int editId = *found;
    // An edit undoes its own typing; here undo is the grid's, across edits, files and snapshots.
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool undo = key->matches(QKeySequence::Undo);
        const bool redo = key->matches(QKeySequence::Redo);
        if (undo || redo) {
            event->accept();
            if (event->type() == QEvent::KeyPress) {
                core_.onMenuCommand(undo ? MenuCommand::Undo : MenuCommand::Redo);
            }
            return true;
        }
    }
    if (event->type() == QEvent::ContextMenu) {
        QMenu* menu = field->createStandardContextMenu();
        QAction* first = menu->actions().value(0);
        for (const ParamDialog::FieldMenuItem& item : core_.fieldMenu(editId)) {
            auto* action = new QAction(fromUtf8(item.label), menu);
            connect(action, &QAction::triggered, this,
                    [this, editId, command = item.command] { core_.onFieldCommand(editId, command); });
            menu->insertAction(first, action);
        }
        menu->insertSeparator(first);
        menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
        delete menu;
        return true;
    }
    return TemplateDialog::eventFilter(watched, event);
}

void ParamWindow::showLineLog() {
    if (lineLog_ == nullptr) {
        lineLog_ = new LineLogWindow(core_, this);
        places_.follow(lineLog_, place::kLineLog);
        // Once it has gone (its backing store too, freed after the window), its memory leaves
        // the process: glibc would otherwise keep the freed pages for reuse.
        connect(lineLog_, &QObject::destroyed, this,
                [] { QTimer::singleShot(0, [] { handBackFreedMemory(); }); });
    }
    lineLog_->show();
    lineLog_->raise();
    lineLog_->activateWindow();
}

// Edits and lists have menus of their own; this one is the dialog's background.
void ParamWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    for (const MenuItem& item : kBackgroundMenu) {
        menu.addAction(fromUtf8(item.label), shortcutOf(item), this,
                       [this, command = item.command] { core_.onMenuCommand(command); });
    }
    menu.exec(event->globalPos());
}

void ParamWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (isGainFileDrop(droppedFiles(event->mimeData()))) {
        event->acceptProposedAction();
    }
}

void ParamWindow::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = droppedFiles(event->mimeData());
    if (isGainFileDrop(paths)) {
        event->acceptProposedAction();
        core_.onFilesDropped(paths);
    }
}

void ParamWindow::showProgress(const ProgressRequest& request, std::function<void()> cancelled) {
    ProgressBox box(fromUtf8(request.title), fromUtf8(request.text), request.steps, this);
    progress_ = &box;
    const int result = box.exec();
    progress_ = nullptr;
    if (result == QDialog::Rejected) {
        cancelled();
    }
}

void ParamWindow::setProgress(int step, std::string_view text) {
    if (progress_ != nullptr) {
        progress_->setStep(step, fromUtf8(text));
    }
}

void ParamWindow::closeProgress() {
    if (progress_ != nullptr) {
        progress_->accept();
    }
}

void ParamWindow::endDialog() {
    places_.keep(this);
    QDialog::reject();
}

DialogClock::TimePoint ParamWindow::now() const {
    return std::chrono::steady_clock::now();
}

void ParamWindow::setTimer(int timerId, std::chrono::milliseconds period) {
    killTimer(timerId);
    // Precise: the link's timer keeps the controller's pause between two reads, to the millisecond.
    qtTimers_[timerId] = startTimer(period, Qt::PreciseTimer);
}

void ParamWindow::killTimer(int timerId) {
    if (const auto found = qtTimers_.find(timerId); found != qtTimers_.end()) {
        QObject::killTimer(found->second);
        qtTimers_.erase(found);
    }
}

void ParamWindow::onCommand(int id) {
    core_.onCommand(id);
}

void ParamWindow::reject() {
    // Escape and the close box send the cancel command, as in the platform's dialogs.
    core_.onCommand(id::kCancel);
}

bool ParamWindow::event(QEvent* event) {
    const int type = event->type();
    if (type == wm::kSerialRx) {
        core_.onSerialRx(static_cast<SerialNotifyEvent*>(event)->tag);
        return true;
    }
    if (type == wm::kSerialHangUp) {
        core_.onSerialHangUp(static_cast<SerialNotifyEvent*>(event)->tag);
        return true;
    }
    if (type == QEvent::Timer) {
        const int qtTimerId = static_cast<QTimerEvent*>(event)->timerId();
        for (const auto& [coreTimerId, qtId] : qtTimers_) {
            if (qtId == qtTimerId) {
                core_.OnTimer(coreTimerId);
                return true;
            }
        }
    }
    return TemplateDialog::event(event);
}

} // namespace tq37r
