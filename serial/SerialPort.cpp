#include "serial/SerialPort.h"

#include <unistd.h>

namespace tq37r {

SerialPort::~SerialPort() {
    SerialPort::close();
}

void SerialPort::close() {
    const int fd = handle.exchange(-1, std::memory_order_acq_rel);
    if (fd >= 0) {
        ::close(fd);
    }
}

} // namespace tq37r
