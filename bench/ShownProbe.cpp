// Linked into a program to report the moment its first window is exposed: prints
// "shown" on stdout and ends the process at once, so that a driver can time start-up
// from the outside without counting shutdown.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWindow>

#include <cstdio>
#include <unistd.h>

namespace {

class ShownProbe : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose) {
            if (auto* window = qobject_cast<QWindow*>(watched); window != nullptr && window->isExposed()) {
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                _exit(0);
            }
        }
        return false;
    }
};

void installShownProbe() {
    QCoreApplication::instance()->installEventFilter(new ShownProbe);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installShownProbe)
