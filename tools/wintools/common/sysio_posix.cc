// sysio_posix.cc: the shared I/O helpers on POSIX systems.
#include "sysio.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Waits until a non-blocking descriptor has data, its end or an error, which
// the next read then reports. False when the wait itself fails.
bool waitForInput(int fd) {
    struct pollfd input = {fd, POLLIN, 0};
    int ready;
    while ((ready = poll(&input, 1, -1)) < 0 && errno == EINTR) {
    }
    return ready > 0;
}

} // namespace

int readDescriptor(int fd, unsigned char *buffer, int size) {
    for (;;) {
        ssize_t got = read(fd, buffer, static_cast<size_t>(size));
        if (got >= 0) return static_cast<int>(got);
        bool tryAgain = errno == EAGAIN || errno == EWOULDBLOCK;
        if (tryAgain ? !waitForInput(fd) : errno != EINTR) return -1;
    }
}

int writeDescriptor(int fd, const void *bytes, size_t count) {
    const char *next = static_cast<const char *>(bytes);
    while (count > 0) {
        ssize_t written = write(fd, next, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return -1;
        }
        next += written;
        count -= static_cast<size_t>(written);
    }
    return 0;
}

FILE *openForReading(const char *path, const char *mode) {
    FILE *file = fopen(path, mode);
    if (file == nullptr) return nullptr;
    struct stat status;
    if (fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) {
        fclose(file);
        errno = EISDIR;
        return nullptr;
    }
    return file;
}

void setBinaryMode(int) {}

void ignoreClosedPipes() {
    signal(SIGPIPE, SIG_IGN);
}
