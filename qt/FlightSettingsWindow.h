#pragma once

#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tq37r {

class ParamDialog;

// Flight settings…: what the dialog keeps on hidden controls, in a window of its own beside it:
// the target altitude and circling radius, the mixing mode, the gyro self-test, automatic
// return, and the flight mode and task, whose buttons read as the hidden indicators do.
class FlightSettingsWindow final : public QWidget {
public:
    FlightSettingsWindow(ParamDialog& core, QWidget* dialog);
    // Shows what the core holds now.
    void refresh();

    QLineEdit* altitude() const { return altitude_; }
    QLineEdit* radius() const { return radius_; }
    QPushButton* button(int hiddenId) const;
    QComboBox* mixing() const { return mixing_; }
    QLabel* gyroResult() const { return gyro_; }

private:
    QWidget* settingsBox();
    QWidget* mixingBox();
    QWidget* commandsBox();
    QPushButton* addButton(std::string_view text, const QString& accessibleName = {});

    ParamDialog& core_;
    QLineEdit* altitude_;
    QLineEdit* radius_;
    QComboBox* mixing_;
    QLabel* gyro_;
    std::array<QPushButton*, 7> indicators_{}; // by the hidden buttons' order: modes, then tasks
    std::optional<std::int32_t> shownAltitude_;
    std::optional<std::int32_t> shownRadius_;
};

} // namespace tq37r
