// glimpage_posix.cc: the pager's system layer for native builds. It offers
// no console: the pager always writes overstruck text, and bytes pass
// through unchanged (no text-mode translation).
#include <errno.h>
#include <stdio.h>
#include <unistd.h>

#include "glimpage_platform.h"
#include "sysio.h"

namespace {

int writeOutput(const unsigned char *bytes, int count) {
    return writeDescriptor(STDOUT_FILENO, bytes, static_cast<size_t>(count)) == 0 ? 0 : errno;
}

void writeError(const char *text) {
    fputs(text, stderr);
}

int readInput(void *, unsigned char *buffer, int size) {
    return readDescriptor(STDIN_FILENO, buffer, size);
}

void *openTextFile(const char *name) {
    return openForReading(name, "r");
}

int readTextFile(void *file, unsigned char *buffer, int size) {
    return readDescriptor(fileno(static_cast<FILE *>(file)), buffer, size);
}

void closeTextFile(void *file) {
    fclose(static_cast<FILE *>(file));
}

} // namespace

const PagerPlatform *systemPlatform() {
    static const PagerPlatform table = {
        writeOutput, writeError, readInput, openTextFile, readTextFile, closeTextFile, nullptr,
    };
    return &table;
}
