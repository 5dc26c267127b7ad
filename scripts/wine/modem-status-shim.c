/* Preloaded by wine-exec.sh into a program of the Windows build that Wine runs against a pty (the
 * test suites, the screenshot): a pty has no modem lines, so its TIOCMGET fails,
 * and Wine ends every WaitCommEvent on it at once when it cannot read them. Here a pty
 * answers like a connected serial line with no lines raised, and like an unplugged USB adapter
 * (EIO) once its far end has hung up. Every other call goes through unchanged. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <poll.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

int ioctl(int fd, unsigned long request, ...) {
    static int (*real_ioctl)(int, unsigned long, void*);
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    struct stat st;
    /* Unix98 pty slaves have majors 136 to 143. */
    if (request == TIOCMGET && fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 &&
        major(st.st_rdev) <= 143) {
        struct pollfd peer = {fd, 0, 0};
        if (poll(&peer, 1, 0) > 0 && (peer.revents & POLLHUP) != 0) {
            errno = EIO;
            return -1;
        }
        *(int*)arg = 0;
        return 0;
    }
    if (!real_ioctl) {
        real_ioctl = (int (*)(int, unsigned long, void*))dlsym(RTLD_NEXT, "ioctl");
    }
    return real_ioctl(fd, request, arg);
}
