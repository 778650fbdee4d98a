// glimpage_platform.h: the system services the pager's portable core uses,
// as one table. Each platform's layer defines systemPlatform() with its own
// table (glimpage_win32.cc on Windows, glimpage_posix.cc natively, with the
// terminal of glimpage_terminal.cc as its console); the tests and the fuzzer
// build theirs over memory.
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

// Where a byte written to a screen ends a row.
enum RowEnd {
    RowGoesOn,         // the byte stays on the current row
    RowEndsAfterByte,  // the byte finished the row: a line feed, or a row filled
                       // by a screen that wraps as soon as its last cell is written
    RowEndsBeforeByte, // the byte starts the next row: the row before it was full
                       // and the screen had deferred its wrap until now
};

// How a screen wraps its rows: where writing byte c ends one, keeping *column
// (the 1-based cell of the next byte on the row, pageColumns + 1 while the
// wrap of a full row is deferred) up to date. Screens differ in when a full
// row wraps.
typedef RowEnd (*RowRule)(int c, int pageColumns, int *column);

// A console to page on: the Windows console, or a terminal playing its part
// (an attribute other than the one at start is reverse video, blanking the
// page erases the screen). Each service returns true on success; after a
// failure lastError gives the system's code for it.
struct ConsoleServices {
    bool (*standardHandlesValid)();
    // Fails when standard output is not a console: the run then writes
    // overstruck text and asks nothing more of this table.
    bool (*getScreenInfo)(ScreenInfo *info);
    bool (*writeBlankPage)(const unsigned char *bytes, int count);
    bool (*setCursorPosition)(ConsoleCell cell);
    bool (*setWindowPosition)(int16_t left, int16_t top, int16_t right, int16_t bottom);
    bool (*setTextAttribute)(uint16_t attribute);
    bool (*openConsoleInput)();
    // The key input's mode in the console's bits: line input 0x0002, echo
    // 0x0004. The prompt clears those two for its key and sets back what
    // getInputMode gave.
    bool (*getInputMode)(uint32_t *mode);
    bool (*setInputMode)(uint32_t mode);
    // Reads one key byte: 1 when *key was read, 0 when no byte came (console
    // input at its end), -1 on failure.
    int (*readKey)(unsigned char *key);
    uint32_t (*lastError)();
    // Shows a fatal console failure to the user: the system's text for code
    // (or a fallback naming the code when the system has none) under caption.
    void (*showFailure)(const char *caption, uint32_t code);
    RowRule rowFinished;
    // The window can change size during the run (a terminal): the page size
    // is then taken afresh at each new page. A console keeps its size at start.
    bool resizable;
};

struct PagerPlatform {
    // Writes to standard output in the system's own mode (text mode on
    // Windows: every line feed leaves as carriage return and line feed).
    // Returns 0, or the error number (errno) of the write that failed.
    int (*writeOutput)(const unsigned char *bytes, int count);
    // Appends a complete message to standard error.
    void (*writeError)(const char *text);
    // Standard input (the script), read like writeOutput writes; the handle
    // is not used.
    ReadBytes readInput;
    // Text files named by the script, opened for reading as text streams.
    // openTextFile returns null when the file cannot be opened (a directory
    // counts as one that cannot be opened).
    void *(*openTextFile)(const char *name);
    ReadBytes readTextFile;
    void (*closeTextFile)(void *file);
    // Null when the system offers no console: output is then never one.
    const ConsoleServices *console;
};

// The table of the system this program was built for.
const PagerPlatform *systemPlatform();

#endif
