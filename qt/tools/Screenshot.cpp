// Renders the real window offscreen, as an operator sees it after restoring the default
// gains and reading the X and Y rows back, and saves it as a PNG.
#include <QApplication>
#include <QPixmap>

#include <cstdio>

#include "device/Codes.h"
#include "qt/ParamWindow.h"
#include "serial/posix/PosixSerialPort.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    // Always rendered offscreen: the picture must not depend on a display being there.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tq37r::PosixSerialPort port;
    tq37r::ParamProcessState state;
    tq37r::ParamWindow window(port, state);
    window.core().onRestoreDefaults();

    // The controller's answer to the second read request: Y then X gains.
    tq37r::TxFrame reply;
    reply.assemble(tq37r::code::kGainBlock2, {15, 1, 8, 15, 1, 8});
    window.core().decodeFrame(reply.assembled());

    window.show();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
