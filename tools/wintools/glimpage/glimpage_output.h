// glimpage_output.h: the pager's output layer. On a console (or a terminal,
// which plays the console's part natively) it highlights by switching the
// text attribute to its reverse, counts the rows the output fills and pauses
// at every full page and form feed with a "-More-" prompt.
// Anywhere else it writes overstruck text: a highlighted byte is written as
// '_', backspace, byte, and no console call is made after the detection.
//
// Output is collected in one block and handed to the system in large writes;
// on a console the block is flushed before every attribute change, cursor
// move, page blanking, prompt and key read, so bytes and attributes still
// reach the screen in order (and by the driver before every read that may
// wait, so that the screen shows what was merged meanwhile).
//
// Operations that can end the run (a quit key at the prompt, a failed console
// call) return -1; consoleState.exitStatus then holds the process's exit
// status, and the caller unwinds and exits with it. Otherwise they return 0.
#ifndef GLIMPAGE_OUTPUT_H
#define GLIMPAGE_OUTPUT_H

#include <errno.h>
#include <stddef.h>
#include <stdint.h>

#include "glimpage_platform.h"

struct ConsoleState {
    bool isConsole;
    int pageColumns;           // screen buffer width, at start (at each page if resizable)
    int pageRows;              // window height, likewise
    uint16_t normalAttribute;  // attribute in force at start
    uint16_t reverseAttribute; // its two nibbles swapped
    unsigned char *blankPage;  // spaces for the page as sized at start, kept for the run
    int blankPageSize;
    ConsoleCell pageOrigin; // where every page starts
    int rowCount;           // rows counted on the current page, from 1
    int screenColumn;       // 1-based cell of the next byte on the row
    bool firstBreakDone;    // the first page-break request was absorbed
    bool consoleInputOpen;  // the prompt's key input is open
    int exitStatus;         // meaningful once an operation returned -1
};

extern ConsoleState consoleState;

// Installs the system table all output goes through; resets the state.
void setPagerPlatform(const PagerPlatform *platform);
const PagerPlatform *pagerPlatform();

// Forgets everything of an earlier run (tests and the fuzzer run many).
void resetConsoleState();

// Error code reported when the blank page cannot be allocated (the system's
// "not enough memory" code).
#ifdef _WIN32
const uint32_t NotEnoughMemoryCode = 8;
#else
const uint32_t NotEnoughMemoryCode = ENOMEM;
#endif

// ---- Standard output block ------------------------------------------------

const int OutputBlockSize = 1 << 16;

struct OutputBlock {
    int used;
    int writeError; // errno of the write that failed; from then on nothing is written
    unsigned char bytes[OutputBlockSize];
};

extern OutputBlock outputBlock;

// Hands the collected bytes to the system, or drops them once a write failed.
void flushOutput();

// The output stream's own byte writer: no row counting, no form-feed handling.
inline void writeOutputByte(int c) {
    if (outputBlock.used == OutputBlockSize) flushOutput();
    outputBlock.bytes[outputBlock.used++] = static_cast<unsigned char>(c);
}

// ---- Operations for the driver ---------------------------------------------

// Sets up consoleState; when it returns 0, consoleState.isConsole tells
// whether the run pages on a console or writes overstruck text. Returns -1
// when a console step failed (status 1).
int initConsole();

// Switch the console's attribute; nothing when not a console.
int setNormalAttribute();
int setReverseAttribute();

// putOutputChar on a console: writes the byte, counting rows (may prompt).
int putConsoleChar(int c);

// The row rule of a console that wraps as soon as a row's last cell is
// written: a row of exactly pageColumns bytes and its line feed count two.
RowEnd wrapsAtLastCell(int c, int pageColumns, int *column);

// The row rule of a terminal, which defers the wrap of a full row until the
// next byte: a row of exactly pageColumns bytes and its line feed count one.
RowEnd defersWrap(int c, int pageColumns, int *column);

// Writes a byte; on a console counts rows and may prompt.
inline int putOutputChar(int c) {
    if (consoleState.isConsole) return putConsoleChar(c);
    writeOutputByte(c);
    return 0;
}

// Writes a NUL-terminated string through putOutputChar, form feeds through
// putFormFeed.
int putOutputString(const char *text);

// A page-break request; when not a console the byte 0x0C is written.
int putFormFeed();

// Writes every byte of text as '_', backspace, byte (overstrike mode only).
void putOverstruck(const char *text);

// Called with false when a console row is finished and with true for a
// page-break request; prompts when the page is full or a break is due.
int morePrompt(bool pageBreak);

// Blanks the page and homes the cursor.
int clearPage();

// Shows the failure under caption and ends the run with status 1; returns -1.
int reportConsoleFailure(const char *caption, uint32_t code);

// The reverse of a console attribute: low byte's nibbles swapped.
uint16_t reverseOf(uint16_t attribute);

#endif
