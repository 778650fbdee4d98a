// sysio_win32.cc: the shared I/O helpers on Windows, over the C runtime's
// descriptors.
#include "sysio.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <limits.h>

int readDescriptor(int fd, unsigned char *buffer, int size) {
    return _read(fd, buffer, static_cast<unsigned>(size));
}

int writeDescriptor(int fd, const void *bytes, size_t count) {
    const char *next = static_cast<const char *>(bytes);
    while (count > 0) {
        unsigned piece = count > INT_MAX ? INT_MAX : static_cast<unsigned>(count);
        int written = _write(fd, next, piece);
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return -1;
        }
        next += written;
        count -= static_cast<size_t>(written);
    }
    return 0;
}

// Opening a directory fails here already.
FILE *openForReading(const char *path, const char *mode) {
    return fopen(path, mode);
}

void setBinaryMode(int fd) {
    _setmode(fd, _O_BINARY);
}

void ignoreClosedPipes() {}
