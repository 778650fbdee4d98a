// glimpage_posix.cc: the pager's system layer for native builds. There is no
// console here: the pager always writes overstruck text, and bytes pass
// through unchanged (no text-mode translation).
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "glimpage_platform.h"

namespace systemLayer {

void writeOutput(const unsigned char *bytes, int count) {
    while (count > 0) {
        ssize_t written = write(STDOUT_FILENO, bytes, static_cast<size_t>(count));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return; // as stdio would, the pager does not stop on write errors
        bytes += written;
        count -= static_cast<int>(written);
    }
}

void writeError(const char *text) {
    fputs(text, stderr);
}

int readDescriptor(int fd, unsigned char *buffer, int size) {
    for (;;) {
        ssize_t got = read(fd, buffer, static_cast<size_t>(size));
        if (got < 0 && errno == EINTR) continue;
        return static_cast<int>(got);
    }
}

int readInput(void *, unsigned char *buffer, int size) {
    return readDescriptor(STDIN_FILENO, buffer, size);
}

// A directory opens here but cannot be read; refusing it up front gives the
// same "can't open" as on Windows, where opening a directory fails.
void *openTextFile(const char *name) {
    FILE *file = fopen(name, "r");
    if (file == nullptr) return nullptr;
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
        fclose(file);
        return nullptr;
    }
    return file;
}

int readTextFile(void *file, unsigned char *buffer, int size) {
    return readDescriptor(fileno(static_cast<FILE *>(file)), buffer, size);
}

void closeTextFile(void *file) {
    fclose(static_cast<FILE *>(file));
}

bool standardHandlesValid() {
    return true;
}

// Never a console: the detection fails and nothing else is ever asked.
bool getScreenInfo(ScreenInfo *) {
    return false;
}
bool writeBlankPage(const unsigned char *, int) {
    return false;
}
bool setCursorPosition(ConsoleCell) {
    return false;
}
bool setWindowPosition(int16_t, int16_t, int16_t, int16_t) {
    return false;
}
bool setTextAttribute(uint16_t) {
    return false;
}
bool openConsoleInput() {
    return false;
}
bool getInputMode(uint32_t *) {
    return false;
}
bool setInputMode(uint32_t) {
    return false;
}
int readKey(unsigned char *) {
    return -1;
}
uint32_t lastError() {
    return static_cast<uint32_t>(errno);
}

void showFailure(const char *caption, uint32_t code) {
    fprintf(stderr, "%s: %s\n", caption, strerror(static_cast<int>(code)));
}

} // namespace systemLayer
