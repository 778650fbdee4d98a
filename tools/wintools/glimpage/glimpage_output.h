// glimpage_output.h: the pager's output layer. On a screen (the Windows
// console, a terminal natively) it highlights through the screen and pauses at
// every full page and form feed with the screen's "-More-" prompt. Anywhere
// else it writes overstruck text: a highlighted byte is written as '_',
// backspace, byte, and nothing more is asked of the screen after the start.
//
// Output is collected in one block and handed on in large runs: to standard
// output, or to the screen, which counts the rows (and the layer prompts at a
// full page). On a screen the block is handed on before every change of
// highlighting and before the end, and the driver hands it on before every
// read that may wait, so that the screen shows what was merged meanwhile.
//
// Operations that can end the run (a quit at the prompt, a failed screen
// call, a failed write of standard output) return -1, and outputEndStatus
// then gives the exit status (it is -1 while the run goes on); the driver
// stops there. Otherwise they return 0.
#ifndef ORVI_GLIMPAGE_OUTPUT_H
#define ORVI_GLIMPAGE_OUTPUT_H

#include <stddef.h>

#include "glimpage_platform.h"

// Sets up the output over platform, asking its screen whether standard
// output is one; forgets everything of an earlier run.
int startOutput(const PagerPlatform *platform);

// The run pages on a screen (else it writes overstruck text).
bool outputOnScreen();

// The exit status once the run has ended, -1 before.
int outputEndStatus();

// Hands the collected bytes on.
int flushOutput();

// Ends the output of the run with status: hands on what is left and leaves
// the screen as the user should find it. Returns the status, 1 when standard
// output failed (its errno then in *writeError, else 0).
int finishOutput(int status, int *writeError);

// Switch highlighting; nothing when not on a screen.
int setNormalAttribute();
int setReverseAttribute();

// Writes a byte: on a screen it may end a row, a form feed a page.
int putOutputChar(int c);

// Writes a NUL-terminated string through putOutputChar.
int putOutputString(const char *text);

// A page-break request: on a screen the page ends early (except the run's
// first request, which is absorbed); elsewhere the byte 0x0C is written.
inline int putFormFeed() {
    return putOutputChar('\f');
}

// The closing page-break request of a run that ends normally.
int closePages();

// Overstrike mode: writes every character of text marked: '_', backspace,
// then its bytes.
int putOverstruck(const char *text);

// Writes count spaces, as putOutputChar would one at a time.
int putOutputSpaces(int count);

// Overstrike mode's fast lane: writes the text at bytes[0, count) as it is,
// each visible ASCII byte (0x21 to 0x7E) marked when marked is true, up to
// and including the first line feed; it stops before a byte that the driver
// must take: a tab, a form feed, the start of a character of several bytes
// or, when marked, a visible character beyond ASCII (of the character model
// as it was when the output started). Returns the count of bytes taken, or -1
// when the output failed.
long putOverstrikeRun(const unsigned char *bytes, size_t count, bool marked);

#endif
