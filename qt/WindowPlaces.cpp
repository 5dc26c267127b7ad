#include "qt/WindowPlaces.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "core/Settings.h"
#include "core/SideWindowPlacement.h"

namespace tq37r {
namespace {

const char* const kKeyProperty = "tq37r.place";

} // namespace

void WindowPlaces::follow(QWidget* window, const std::string& key) {
    window->setProperty(kKeyProperty, QString::fromStdString(key));
    window->installEventFilter(this);
    const std::optional<Settings::Place> place = settings_.place(key);
    // Its title bar must be on a screen that is there now, or the operator could not reach it.
    if (!place || QGuiApplication::screenAt(QPoint(place->x + place->width / 2, place->y + 8)) == nullptr) {
        return;
    }
    window->move(place->x, place->y);
    if (window->minimumSize() != window->maximumSize()) {
        window->resize(place->width, place->height);
    }
}

void WindowPlaces::keep(QWidget* window) {
    const QString key = window->property(kKeyProperty).toString();
    if (!key.isEmpty() && window->isVisible()) {
        const QRect frame = window->frameGeometry();
        settings_.setPlace(key.toStdString(), {frame.x(), frame.y(), window->width(), window->height()});
    }
}

bool WindowPlaces::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close || event->type() == QEvent::Hide) {
        keep(static_cast<QWidget*>(watched));
    }
    return QObject::eventFilter(watched, event);
}

void moveBesideDialog(QWidget* window, const QWidget* dialog) {
    // Before it is first shown a window has no frame of its own yet; the dialog's is the same kind.
    const QRect frame = dialog->frameGeometry();
    const QSize margins = frame.size() - dialog->size();
    const QRect screen = dialog->screen()->availableGeometry();
    const ScreenRect place = placeBesideDialog(
        {frame.x(), frame.y(), frame.width(), frame.height()}, window->width() + margins.width(),
        window->height() + margins.height(), {screen.x(), screen.y(), screen.width(), screen.height()});
    window->move(place.x, place.y);
}

} // namespace tq37r
