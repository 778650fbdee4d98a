// sysio_win32.cc: the shared I/O helpers on Windows, over the C runtime's
// descriptors.
#include "sysio.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <limits.h>
#include <windows.h>

namespace {

// A write into a pipe fails when its reader has gone. The runtime has no errno
// for that (Windows says ERROR_NO_DATA, Wine ERROR_PIPE_NOT_CONNECTED, and
// Wine's runtime clears the last error in binary mode): it says EINVAL. Name
// it EPIPE, as POSIX does, so that isClosedPipe knows it.
void nameClosedPipe(int fd) {
    if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) == FILE_TYPE_PIPE) errno = EPIPE;
}

} // namespace

// The runtime already reads a pipe whose writer has closed (ERROR_BROKEN_PIPE)
// as its end, 0, and Wine waits for data on a descriptor that a Unix program
// made non-blocking: what is left to report is a real failure.
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
            if (written < 0) nameClosedPipe(fd);
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
