// glimpage_platform.h: the few system services the pager's portable core
// needs. Each platform defines the services of systemLayer (glimpage_win32.cc
// on Windows, glimpage_posix.cc natively), gathered here into one table; tests
// and the fuzzer supply their own, with in-memory files and recorded console
// calls.
#ifndef GLIMPAGE_PLATFORM_H
#define GLIMPAGE_PLATFORM_H

#include <stdint.h>

#include "textstream.h"

// What the console reports about its screen buffer (all in character cells).
struct ScreenInfo {
    int bufferWidth;
    int16_t windowLeft;
    int16_t windowTop;
    int16_t windowRight;
    int16_t windowBottom;
    int16_t cursorRow;
    uint16_t attribute;
};

// A console cell, as the console addresses it: 16 bits each.
struct ConsoleCell {
    int16_t column;
    int16_t row;
};


struct PagerPlatform {
    // Standard output, as a stream in the system's own mode (text mode on
    // Windows: every line feed leaves as carriage return and line feed).
    // Write errors are not reported, as buffered standard output would not.
    void (*writeOutput)(const unsigned char *bytes, int count);
    // Appends a complete message to standard error.
    void (*writeError)(const char *text);
    // Standard input (the script), read like writeOutput writes.
    ReadBytes readInput;

    // Text files named by the script, opened for reading as text streams.
    // openTextFile returns null when the file cannot be opened (a directory
    // counts as one that cannot be opened).
    void *(*openTextFile)(const char *name);
    ReadBytes readTextFile;
    void (*closeTextFile)(void *file);

    // Console services. Each returns true on success; after a failure
    // lastError gives the system's error code for it.
    // Called first in every run, before any read or write: the layer's own
    // start-up work is done there too.
    bool (*standardHandlesValid)();
    bool (*getScreenInfo)(ScreenInfo *info);
    bool (*writeBlankPage)(const unsigned char *bytes, int count);
    bool (*setCursorPosition)(ConsoleCell cell);
    bool (*setWindowPosition)(int16_t left, int16_t top, int16_t right, int16_t bottom);
    bool (*setTextAttribute)(uint16_t attribute);
    bool (*openConsoleInput)();
    bool (*getInputMode)(uint32_t *mode);
    bool (*setInputMode)(uint32_t mode);
    // Reads one key byte: 1 when *key was read, 0 when no byte came (console
    // input at its end), -1 on failure.
    int (*readKey)(unsigned char *key);
    uint32_t (*lastError)();
    // Shows a fatal console failure to the user: the system's text for code
    // (or a fallback naming the code when the system has none) under caption.
    void (*showFailure)(const char *caption, uint32_t code);
};

// The services of the system this program was built for, defined by its
// system layer (glimpage_win32.cc or glimpage_posix.cc), one per table entry.
namespace systemLayer {
void writeOutput(const unsigned char *bytes, int count);
void writeError(const char *text);
int readInput(void *, unsigned char *buffer, int size);
void *openTextFile(const char *name);
int readTextFile(void *file, unsigned char *buffer, int size);
void closeTextFile(void *file);
bool standardHandlesValid();
bool getScreenInfo(ScreenInfo *info);
bool writeBlankPage(const unsigned char *bytes, int count);
bool setCursorPosition(ConsoleCell cell);
bool setWindowPosition(int16_t left, int16_t top, int16_t right, int16_t bottom);
bool setTextAttribute(uint16_t attribute);
bool openConsoleInput();
bool getInputMode(uint32_t *mode);
bool setInputMode(uint32_t mode);
int readKey(unsigned char *key);
uint32_t lastError();
void showFailure(const char *caption, uint32_t code);
} // namespace systemLayer

// The table of the system this program was built for.
inline const PagerPlatform *systemPlatform() {
    using namespace systemLayer;
    static const PagerPlatform table = {
        writeOutput,
        writeError,
        readInput,
        openTextFile,
        readTextFile,
        closeTextFile,
        standardHandlesValid,
        getScreenInfo,
        writeBlankPage,
        setCursorPosition,
        setWindowPosition,
        setTextAttribute,
        openConsoleInput,
        getInputMode,
        setInputMode,
        readKey,
        lastError,
        showFailure,
    };
    return &table;
}

#endif
