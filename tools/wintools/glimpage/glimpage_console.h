// glimpage_console.h: the Windows console as a screen to page on
// (glimpage_console.cc), portable so that the tests run it natively over a
// fake console. The console is driven through a table of its own calls, the
// shape of the Win32 console interface: glimpage_system_win32.cc fills it
// with the real calls.
//
// On the console, highlighted text is in the reverse of the attribute found at
// start (its two nibbles swapped); the page is the window as placed at start,
// blanked with a page of spaces; every byte but a line feed takes a cell, and
// the console wraps a row as soon as its last cell is written. At the prompt,
// q and Ctrl+Z quit and any other key goes on. A failed console call shows a
// box naming the step and ends the run with status 1.
#ifndef ORVI_GLIMPAGE_CONSOLE_H
#define ORVI_GLIMPAGE_CONSOLE_H

#include <errno.h>
#include <stdint.h>

#include "glimpage_screen.h"

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

// The console's calls. Each returns true on success; after a failure
// lastError gives the system's code for it.
struct ConsoleServices {
    bool (*standardHandlesValid)();
    // Fails when standard output is not a console.
    bool (*getScreenInfo)(ScreenInfo *info);
    bool (*writeBlankPage)(const unsigned char *bytes, int count);
    bool (*setCursorPosition)(ConsoleCell cell);
    bool (*setWindowPosition)(int16_t left, int16_t top, int16_t right, int16_t bottom);
    bool (*setTextAttribute)(uint16_t attribute);
    bool (*openConsoleInput)();
    // The key input's mode: line input 0x0002, echo 0x0004 among its bits.
    bool (*getInputMode)(uint32_t *mode);
    bool (*setInputMode)(uint32_t mode);
    // Reads one key byte: 1 when *key was read, 0 when no byte came (console
    // input at its end), -1 on failure.
    int (*readKey)(unsigned char *key);
    uint32_t (*lastError)();
    // Shows a fatal console failure: the system's text for code (or
    // failureText's fallback) under caption.
    void (*showFailure)(const char *caption, uint32_t code);
};

// The console screen over console: the system's (glimpage_system_win32.cc)
// or a test's fake.
const PagerScreen *consoleScreen(const ConsoleServices *console);

// Error code reported when the blank page cannot be allocated (the system's
// "not enough memory" code).
#ifdef _WIN32
const uint32_t NotEnoughMemoryCode = 8;
#else
const uint32_t NotEnoughMemoryCode = ENOMEM;
#endif

const int FailureTextSize = 32;

// The text of a failure box: the system's text for the code, or, when the
// system has none, "error <code>" written into fallback.
const char *failureText(const char *systemText, uint32_t code, char fallback[FailureTextSize]);

#endif
