#include <QApplication>

#include <CLI/CLI.hpp>
#include <iostream>

#include "app/ParamApp.h"
#include "app/QtArguments.h"
#include "res/ProjectInfo.h"

namespace {
tq37r::ParamApp theApp;

// What getopt-style programs exit with for a command line they do not understand.
constexpr int kExitUsage = 2;

constexpr const char* kFooter = R"(
Pick a port and a baud rate, press Open, and the controller's gains are read into the grid; each
row's Set button sends it, "Write to TQ-37R" has the controller save them. Right-click the window
for gain files and About.

COM names stand for, in this order: $TQ37R_PORT_DIR/COMn when TQ37R_PORT_DIR is set; /dev/COMn
when it exists; else the n-th serial device present (ttyUSB, then ttyACM, then real ttyS). Qt's
own options, such as -platform offscreen, are passed on to Qt.)";
} // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts: it needs a display, and these do not.
    CLI::App options("Sets up a TQ-37R flight controller's gains over a serial line, in a window.",
                     "tq37r-params");
    options.set_help_flag("-h,--help", "print this help and exit");
    options.set_version_flag("--version", tq37r::project::versionText("tq37r-params"),
                             "print the version and exit");
    options.footer(kFooter);
    options.allow_extras();
    try {
        options.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return options.exit(e);
    }
    if (const std::string unknown = tq37r::firstArgumentQtDoesNotTake(options.remaining());
        !unknown.empty()) {
        std::cerr << "tq37r-params: "
                  << (unknown.starts_with('-') ? "unknown option " : "unexpected argument ") << unknown
                  << "\n\n"
                  << options.help();
        return kExitUsage;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tq37r-params"));
    QApplication::setDesktopFileName(QStringLiteral("tq37r-params"));
    // As the framework does: a true result would hand over to an application loop of its own.
    return theApp.InitInstance() ? QApplication::exec() : 0;
}
