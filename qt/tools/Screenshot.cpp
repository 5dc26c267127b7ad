// Renders the real window offscreen, as an operator sees it after reading the gains back
// and changing two of them, and saves it as a PNG.
#include <QApplication>
#include <QPixmap>

#include <cstdio>
#include <utility>

#include "device/Codes.h"
#include "qt/EventLoopPortWatcher.h"
#include "qt/ParamWindow.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    // Always rendered offscreen: the picture must not depend on a display being there.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const auto port = tq37r::makeWindowPort();
    tq37r::ParamProcessState state;
    tq37r::ParamWindow window(*port, state);
    // The controller's answers to a read: its default gains, as in its flash.
    using tq37r::GainBlock;
    tq37r::TxFrame reply;
    reply.assemble(tq37r::code::kGainBlock1, tq37r::readBackPayload<GainBlock::First>(tq37r::defaultGains()));
    window.core().decodeFrame(reply.assembled());
    reply.assemble(tq37r::code::kGainBlock2,
                   tq37r::readBackPayload<GainBlock::Second>(tq37r::defaultGains()));
    window.core().decodeFrame(reply.assembled());
    // Two gains typed and not sent yet.
    for (const auto& [editId, value] :
         {std::pair{tq37r::id::kPitchLevelCoef, "40"}, std::pair{tq37r::id::kXD, "9"}}) {
        window.setText(editId, value);
        window.core().onEditChanged(editId);
    }

    window.show();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
