// sysio.cc: the platform-neutral part of the shared I/O helpers.
#include "sysio.h"

#include <errno.h>
#include <stdint.h>
#include <string.h>

int readDescriptorHandle(void *fd, unsigned char *buffer, int size) {
    return readDescriptor(static_cast<int>(reinterpret_cast<intptr_t>(fd)), buffer, size);
}

void *descriptorHandle(int fd) {
    return reinterpret_cast<void *>(static_cast<intptr_t>(fd));
}

bool isClosedPipe(int error) {
    return error == EPIPE;
}

int writeFailureStatus(const char *program, int error) {
    if (!isClosedPipe(error)) fprintf(stderr, "%s: %s\n", program, strerror(error));
    return 1;
}

int readFailureStatus(const char *program, const char *name, int error) {
    fprintf(stderr, "%s: %s: %s\n", program, name, strerror(error));
    return 1;
}
