// tq37r-sim: plays a TQ-37R flight controller on a pseudo-terminal.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <random>
#include <sys/signalfd.h>
#include <unistd.h>

#include "sim/PortLink.h"
#include "sim/PseudoTerminal.h"
#include "sim/SimController.h"
#include "sim/SimLoop.h"
#include "sim/SimOptions.h"

using namespace tq37r::sim;

namespace {

// The loop takes these through a signalfd, so they must not interrupt it the usual way.
int blockLoopSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signo : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) {
        sigaddset(&set, signo);
    }
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) {
        return -1;
    }
    return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

} // namespace

int main(int argc, char** argv) {
    const ParseResult parsed = parseOptions(argc, argv);
    if (!parsed.options) {
        if (parsed.error.empty()) {
            std::fputs(parsed.usage.c_str(), stdout);
            return 0;
        }
        std::fprintf(stderr, "tq37r-sim: %s\nRun with --help for the options.\n", parsed.error.c_str());
        return 2;
    }
    SimOptions options = *parsed.options;
    if (!options.seed) {
        options.seed = std::random_device{}();
    }
    std::signal(SIGPIPE, SIG_IGN);
    const int signalFd = blockLoopSignals();
    if (signalFd < 0) {
        std::perror("tq37r-sim: signalfd");
        return 1;
    }
    try {
        std::optional<FlashFile> flash;
        if (!options.flashPath.empty()) {
            flash.emplace(options.flashPath);
        }
        SimController controller(std::move(flash), options.firmware, *options.seed);
        if (options.gyroFails) {
            controller.failGyroSelfTest();
        }
        PseudoTerminal pty;
        std::unique_ptr<PortLink> link;
        if (!options.portName.empty()) {
            const char* dir = std::getenv("TQ37R_PORT_DIR");
            if (dir == nullptr || *dir == '\0') {
                std::fputs("tq37r-sim: --port needs TQ37R_PORT_DIR, the folder the tool looks in\n", stderr);
                return 2;
            }
            link = std::make_unique<PortLink>(dir, options.portName, pty.slavePath());
            std::fprintf(stderr, "tq37r-sim: %s -> %s\n", link->path().c_str(), pty.slavePath().c_str());
        }
        if (options.printDevicePath) {
            std::printf("%s\n", pty.slavePath().c_str());
            std::fflush(stdout);
        }
        SimLoop loop(options, controller, pty, signalFd);
        const int status = loop.run();
        link.reset();
        if (options.stats) {
            std::printf("seed %u\n", *options.seed);
            loop.stats().print(stdout);
        }
        return status;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tq37r-sim: %s\n", e.what());
        return 2;
    }
}
