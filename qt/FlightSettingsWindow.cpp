#include "qt/FlightSettingsWindow.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/FlightSettings.h"
#include "core/ParamDialog.h"
#include "qt/Utf8.h"
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace tq37r {
namespace {

// The hidden indicator buttons, flight modes then tasks, and what each commands.
constexpr std::array<int, 7> kIndicators{
    id::kFlightModeRemote, id::kFlightModeStabilised, id::kFlightModeAuto, id::kTaskReturn,
    id::kTaskCircle,       id::kTaskTakeOff,          id::kTaskCancel};
constexpr std::array<FlightMode, 3> kModes{FlightMode::Remote, FlightMode::Stabilised, FlightMode::Auto};
constexpr std::array<Task, 4> kTasks{Task::Return, Task::Circle, Task::TakeOff, Task::Cancel};
constexpr std::array<const char*, 7> kCommandNames{"Flight mode remote",
                                                   "Flight mode stabilised",
                                                   "Flight mode automatic",
                                                   "Task return",
                                                   "Task circle",
                                                   "Task take-off",
                                                   "Task cancel"};

} // namespace

FlightSettingsWindow::FlightSettingsWindow(ParamDialog& core, QWidget* dialog)
    : QWidget(dialog, Qt::Window), core_(core), altitude_(new QLineEdit(this)), radius_(new QLineEdit(this)),
      mixing_(new QComboBox(this)), gyro_(new QLabel(this)) {
    setWindowTitle(fromUtf8(text::kFlightSettingsTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(settingsBox());
    layout->addWidget(mixingBox());
    layout->addWidget(commandsBox());
    refresh();
}

QPushButton* FlightSettingsWindow::addButton(std::string_view text, const QString& accessibleName) {
    auto* button = new QPushButton(fromUtf8(text), this);
    button->setAccessibleName(accessibleName.isEmpty() ? fromUtf8(withoutMnemonic(text)) : accessibleName);
    return button;
}

QWidget* FlightSettingsWindow::settingsBox() {
    auto* box = new QGroupBox(QStringLiteral("Target altitude and circling radius (0-65535)"), this);
    auto* form = new QFormLayout(box);
    altitude_->setAccessibleName(fromUtf8(withoutMnemonic(text::kTargetAltitude)));
    radius_->setAccessibleName(fromUtf8(withoutMnemonic(text::kCirclingRadius)));
    auto* setAltitude = addButton(text::kSetAltitude, QStringLiteral("Set target altitude"));
    auto* setRadius = addButton(text::kSetRadius, QStringLiteral("Set circling radius"));
    auto* read = addButton(text::kReadBoth, QStringLiteral("Read target altitude and circling radius"));
    connect(setAltitude, &QPushButton::clicked, this,
            [this] { core_.setFlightSetting(true, altitude_->text().toStdString()); });
    connect(setRadius, &QPushButton::clicked, this,
            [this] { core_.setFlightSetting(false, radius_->text().toStdString()); });
    connect(read, &QPushButton::clicked, this, [this] { core_.readFlightSettings(); });
    for (const auto& [label, edit, set] : {std::tuple{text::kTargetAltitude, altitude_, setAltitude},
                                           std::tuple{text::kCirclingRadius, radius_, setRadius}}) {
        auto* row = new QHBoxLayout;
        row->addWidget(edit);
        row->addWidget(set);
        auto* name = new QLabel(fromUtf8(label), this);
        name->setBuddy(edit);
        form->addRow(name, row);
    }
    form->addRow(read);
    return box;
}

QWidget* FlightSettingsWindow::mixingBox() {
    auto* box = new QGroupBox(fromUtf8(text::kMixingMode), this);
    auto* layout = new QHBoxLayout(box);
    for (const std::string& item : mixingModeItems()) {
        mixing_->addItem(fromUtf8(item));
    }
    mixing_->setAccessibleName(fromUtf8(withoutMnemonic(text::kMixingMode)));
    // The glosses are long: the closed list shows what fits, its open list shows them whole.
    mixing_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    mixing_->setMinimumContentsLength(28);
    auto* read = addButton(text::kReadMixing, QStringLiteral("Read mixing mode"));
    auto* set = addButton(text::kSetMixing, QStringLiteral("Set mixing mode"));
    connect(read, &QPushButton::clicked, this, [this] { core_.readMixingMode(); });
    connect(set, &QPushButton::clicked, this, [this] { core_.setMixingMode(mixing_->currentIndex()); });
    layout->addWidget(mixing_, 1);
    layout->addWidget(read);
    layout->addWidget(set);
    return box;
}

QWidget* FlightSettingsWindow::commandsBox() {
    auto* box = new QGroupBox(QStringLiteral("Self-test, automatic return, flight mode and task"), this);
    auto* layout = new QVBoxLayout(box);
    auto* test = new QHBoxLayout;
    auto* gyro = addButton(text::kGyroSelfTest, QStringLiteral("Run the gyro self-test"));
    connect(gyro, &QPushButton::clicked, this, [this] { core_.runGyroTest(); });
    gyro_->setAccessibleName(QStringLiteral("Gyro self-test result"));
    test->addWidget(gyro);
    test->addWidget(gyro_, 1);
    layout->addLayout(test);
    auto* autoReturn = new QHBoxLayout;
    autoReturn->addWidget(new QLabel(fromUtf8(text::kAutomaticReturn) + QLatin1Char(':'), this));
    for (const bool on : {true, false}) {
        auto* button = addButton(on ? text::kOn : text::kOff, on ? QStringLiteral("Automatic return on")
                                                                 : QStringLiteral("Automatic return off"));
        connect(button, &QPushButton::clicked, this, [this, on] { core_.setAutoReturn(on); });
        autoReturn->addWidget(button);
    }
    layout->addLayout(autoReturn);
    auto* note = new QLabel(fromUtf8(text::kAutoReturnOffIsVersionQuery), this);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addWidget(new QLabel(fromUtf8(text::kFlightModes) + QLatin1Char(':'), this));
    auto* modes = new QHBoxLayout;
    auto* tasks = new QHBoxLayout;
    for (std::size_t i = 0; i < kIndicators.size(); ++i) {
        indicators_[i] = addButton({}, QString::fromLatin1(kCommandNames[i]));
        connect(indicators_[i], &QPushButton::clicked, this, [this, i] {
            if (i < kModes.size()) {
                core_.commandFlightMode(kModes[i]);
            } else {
                core_.commandTask(kTasks[i - kModes.size()]);
            }
        });
        (i < kModes.size() ? modes : tasks)->addWidget(indicators_[i]);
    }
    layout->addLayout(modes);
    layout->addWidget(new QLabel(fromUtf8(text::kTasks) + QLatin1Char(':'), this));
    layout->addLayout(tasks);
    return box;
}

QPushButton* FlightSettingsWindow::button(int hiddenId) const {
    for (std::size_t i = 0; i < kIndicators.size(); ++i) {
        if (kIndicators[i] == hiddenId) {
            return indicators_[i];
        }
    }
    return nullptr;
}

void FlightSettingsWindow::refresh() {
    const FlightSettingsState& state = core_.flightSettings();
    // What the operator is typing stays until a reply brings a value.
    if (state.targetAltitude != shownAltitude_) {
        shownAltitude_ = state.targetAltitude;
        altitude_->setText(QString::number(state.targetAltitude.value_or(0)));
    }
    if (state.circlingRadius != shownRadius_) {
        shownRadius_ = state.circlingRadius;
        radius_->setText(QString::number(state.circlingRadius.value_or(0)));
    }
    if (state.mixingItem) {
        mixing_->setCurrentIndex(*state.mixingItem);
    }
    gyro_->setText(state.gyro ? fromUtf8(gyroText(*state.gyro)) : QString());
    for (std::size_t i = 0; i < kIndicators.size(); ++i) {
        indicators_[i]->setText(fromUtf8(core_.indicatorCaption(kIndicators[i])));
    }
}

} // namespace tq37r
