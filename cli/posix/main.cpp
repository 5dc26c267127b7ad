#include "cli/ToolMain.h"
#include "cli/posix/PosixCommandPorts.h"

int main(int argc, char** argv) {
    tq37r::cli::PosixCommandPorts ports;
    return tq37r::cli::toolMain(argc, argv, ports);
}
