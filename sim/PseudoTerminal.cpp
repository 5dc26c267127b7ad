#include "sim/PseudoTerminal.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <stdlib.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace tq37r::sim {

namespace {
[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}
} // namespace

PseudoTerminal::PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) {
        fail("posix_openpt");
    }
    std::array<char, 128> name{};
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 ||
        ptsname_r(master_, name.data(), name.size()) != 0) {
        const int saved = errno;
        ::close(master_);
        errno = saved;
        fail("pty setup");
    }
    slavePath_ = name.data();
    heldSlave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios tio{};
    if (heldSlave_ < 0 || tcgetattr(heldSlave_, &tio) != 0) {
        const int saved = errno;
        hangUp();
        errno = saved;
        fail("pty slave");
    }
    // Raw until the tool sets its own line settings: no echo, no line editing, no CR/LF mapping.
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tcsetattr(heldSlave_, TCSANOW, &tio);
}

PseudoTerminal::~PseudoTerminal() {
    hangUp();
}

void PseudoTerminal::hangUp() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    if (heldSlave_ >= 0) {
        ::close(heldSlave_);
        heldSlave_ = -1;
    }
}

} // namespace tq37r::sim
