// Linked into a program to report its start-up from the inside, as lines on stdout each with the
// steady clock's nanoseconds: "loaded" once the program and its libraries are loaded and set up
// (this file's own initialisation), "app" once the application object is made, "shown" when its
// first window is exposed. It then ends the process at once, so that a driver times start-up
// without counting shutdown.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace {

void stamp(const char* what) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::printf("%s %lld\n", what,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    std::fflush(stdout);
}

const bool loaded = (stamp("loaded"), true);

class ShownProbe : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose) {
            if (auto* window = qobject_cast<QWindow*>(watched); window != nullptr && window->isExposed()) {
                stamp("shown");
                _exit(0);
            }
        }
        return false;
    }
};

void installShownProbe() {
    stamp("app");
    QCoreApplication::instance()->installEventFilter(new ShownProbe);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installShownProbe)
