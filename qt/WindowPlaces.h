#pragma once

#include <QObject>

#include <string>

class QWidget;

namespace tq37r {

class Settings;

// Where the dialog and its side windows stood last time: each put back when shown, if that
// place is still on a screen (a monitor unplugged since leaves the window where it would go),
// and kept when it is hidden or closed.
class WindowPlaces final : public QObject {
public:
    explicit WindowPlaces(Settings& settings) : settings_(settings) {}
    // Puts the window where it stood, if anywhere; from then on keeps where it stands.
    void follow(QWidget* window, const std::string& key);
    // Keeps where the window stands now.
    void keep(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Settings& settings_;
};

// Moves `window` beside `dialog` where it fits on the dialog's screen, else to the dialog's other
// side or over it, always whole on that screen.
void moveBesideDialog(QWidget* window, const QWidget* dialog);

} // namespace tq37r
