/* The yardstick for tq37r-cli's fixed cost: the least a program does for the exchange of a `set`
 * of one row. It opens the pty raw at the rate, writes the read of the row's block, waits with
 * poll() for the whole read-back, writes the row with its first gain changed and the others as
 * read, waits for the acknowledgement and exits. No lock, no history, no retries.
 * usage: plain_client DEVICE BAUD READ_CODE ROW_CODE ROW_OFFSET VALUE (codes in hex) */
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

enum { kHeader1 = 0xA5, kHeader2 = 0x5A, kTrailer = 0xAA, kWaitMs = 1000 };

static speed_t speedOf(unsigned long baud) {
    switch (baud) {
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

/* A5 5A L code payload checksum AA, the checksum the low byte of L, code and payload's sum. */
static int sendFrame(int fd, unsigned char code, const unsigned char* payload, unsigned size) {
    unsigned char frame[16];
    unsigned sum = size + 4 + code;
    frame[0] = kHeader1;
    frame[1] = kHeader2;
    frame[2] = (unsigned char)(size + 4);
    frame[3] = code;
    for (unsigned i = 0; i < size; ++i) {
        frame[4 + i] = payload[i];
        sum += payload[i];
    }
    frame[4 + size] = (unsigned char)sum;
    frame[5 + size] = kTrailer;
    return write(fd, frame, size + 6) == (ssize_t)(size + 6);
}

/* One whole frame into buf, whatever came before its header skipped; its size, or 0. */
static size_t receiveFrame(int fd, unsigned char* buf, size_t capacity) {
    size_t have = 0;
    for (;;) {
        while (have > 0 && buf[0] != kHeader1) {
            --have;
            for (size_t i = 0; i < have; ++i) {
                buf[i] = buf[i + 1];
            }
        }
        if (have >= 3 && have >= (size_t)buf[2] + 2) {
            return (size_t)buf[2] + 2;
        }
        struct pollfd readable = {fd, POLLIN, 0};
        if (poll(&readable, 1, kWaitMs) != 1 || (readable.revents & POLLIN) == 0) {
            return 0;
        }
        const ssize_t count = read(fd, buf + have, capacity - have);
        if (count <= 0) {
            return 0;
        }
        have += (size_t)count;
    }
}

int main(int argc, char** argv) {
    if (argc != 7) {
        return 2;
    }
    const speed_t speed = speedOf(strtoul(argv[2], NULL, 10));
    const unsigned char readCode = (unsigned char)strtoul(argv[3], NULL, 16);
    const unsigned char rowCode = (unsigned char)strtoul(argv[4], NULL, 16);
    const size_t rowOffset = strtoul(argv[5], NULL, 10);
    const unsigned char value = (unsigned char)strtoul(argv[6], NULL, 10);
    const int fd = open(argv[1], O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    struct termios line;
    if (speed == B0 || fd < 0 || tcgetattr(fd, &line) != 0) {
        return 1;
    }
    cfmakeraw(&line);
    line.c_cflag |= CLOCAL | CREAD;
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    cfsetspeed(&line, speed);
    if (tcsetattr(fd, TCSANOW, &line) != 0) {
        return 1;
    }
    tcflush(fd, TCIOFLUSH);

    unsigned char reply[300];
    if (!sendFrame(fd, readCode, NULL, 0)) {
        return 1;
    }
    const size_t size = receiveFrame(fd, reply, sizeof reply);
    if (size < 4 + rowOffset + 3 + 2) {
        return 1;
    }
    unsigned char row[3] = {value, reply[4 + rowOffset + 1], reply[4 + rowOffset + 2]};
    if (!sendFrame(fd, rowCode, row, 3) || receiveFrame(fd, reply, sizeof reply) == 0) {
        return 1;
    }
    return 0;
}
