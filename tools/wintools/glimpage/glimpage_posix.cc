// glimpage_posix.cc: the pager's system layer for native builds. There is no
// console here: the pager always writes overstruck text, and bytes pass
// through unchanged (no text-mode translation).
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "glimpage_platform.h"
#include "sysio.h"

namespace systemLayer {

// As stdio would, the pager does not stop on write errors.
void writeOutput(const unsigned char *bytes, int count) {
    writeDescriptor(STDOUT_FILENO, bytes, static_cast<size_t>(count));
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
