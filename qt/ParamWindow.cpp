#include "qt/ParamWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimerEvent>

#include <thread>

#include "core/MessageMap.h"
#include "qt/ModalHooks.h"
#include "res/qt/Resources.h"

namespace tq37r {
namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

ParamWindow::ParamWindow(SerialPort& port, ParamProcessState& state, QWidget* parent)
    : TemplateDialog(paramDialogTemplate(), parent), serialEvents_(*this),
      core_(*this, *this, port, serialEvents_, state) {
    initResources();
    QIcon appIcon;
    appIcon.addFile(QString::fromLatin1(kAppIconPath));
    appIcon.addFile(QString::fromLatin1(kAppIconLargePath));
    setWindowIcon(appIcon);
    core_.OnInitDialog();
    QComboBox* portList = combo(id::kPortList);
    connect(portList, &QComboBox::currentIndexChanged, this, [this] { core_.onPortListChanged(); });
    connect(portList, &QComboBox::editTextChanged, this, [this] { core_.onPortListChanged(); });
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
        lineEdit->setText(fromUtf8(text));
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

void ParamWindow::messageBox(const MessageBoxRequest& request) {
    ModalHooks::showMessageBox(this, request);
}

void ParamWindow::endDialog() {
    QDialog::reject();
}

DialogClock::TimePoint ParamWindow::now() const {
    return std::chrono::steady_clock::now();
}

void ParamWindow::pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

void ParamWindow::setTimer(int timerId, std::chrono::milliseconds period) {
    killTimer(timerId);
    qtTimers_[timerId] = startTimer(period);
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
    if (type == wm::kSerialRx || type == wm::kSerialHangUp) {
        core_.onSerialEvent(type == wm::kSerialRx ? SerialEvent::RxReady : SerialEvent::HangUp,
                            static_cast<SerialNotifyEvent*>(event)->tag);
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
