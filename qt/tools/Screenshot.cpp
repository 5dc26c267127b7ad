// Renders the real window offscreen, as an operator sees it after reading the gains back
// and changing two of them, and saves it as a PNG; with a second file, the Flight settings
// window after a read of the flight settings and the mixing mode too.
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>

#include <cstdio>
#include <utility>

#include "qt/FlightSettingsWindow.h"
#include "qt/ParamWindow.h"
#include "sim/SimulatedPort.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [FLIGHT-SETTINGS.png]\n", argv[0]);
        return 2;
    }
    // Always rendered offscreen: the picture must not depend on a display being there.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A controller with its default gains, as in its flash, read with the Read button.
    tq37r::sim::SimController controller(std::nullopt, {}, 1);
    tq37r::sim::SimulatedPort port(controller);
    tq37r::ParamWindow window(port);
    window.core().session().skipFirstOpenRead();
    window.show();
    window.core().onCommand(tq37r::id::kOpenClose);
    window.core().onCommand(tq37r::id::kRead);
    if (argc == 3) {
        window.core().onMenuCommand(tq37r::MenuCommand::FlightSettings);
        window.core().readFlightSettings();
        window.core().readMixingMode();
        window.core().runGyroTest();
    }
    QElapsedTimer read;
    read.start();
    while (read.elapsed() < 300) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    // Two gains typed and not sent yet.
    for (const auto& [editId, value] :
         {std::pair{tq37r::id::kPitchLevelCoef, "40"}, std::pair{tq37r::id::kXD, "9"}}) {
        window.setText(editId, value);
        window.core().onEditChanged(editId);
    }
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    if (argc == 3 && !window.flightSettingsWindow()->grab().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
