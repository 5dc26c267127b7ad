#include <QApplication>

#include "app/ParamApp.h"

namespace {
tq37r::ParamApp theApp;
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tq37r-params"));
    QApplication::setDesktopFileName(QStringLiteral("tq37r-params"));
    theApp.InitInstance();
    return 0;
}
