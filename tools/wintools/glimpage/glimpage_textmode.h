// glimpage_textmode.h: the C runtime's text mode on Windows, done on whole
// blocks. Reading: a carriage return directly before a line feed is dropped
// (also across block ends), any other carriage return is kept, and Ctrl+Z
// (0x1A) ends the input for good. Writing: every line feed becomes carriage
// return and line feed. This is what the runtime's text streams do, measured
// against it; doing it here keeps its per-call overhead out of the copy loop.
#ifndef GLIMPAGE_TEXTMODE_H
#define GLIMPAGE_TEXTMODE_H

#include "glimpage_platform.h"

struct TextModeInput {
    ReadBytes read; // the raw bytes
    void *handle;
    int rawStart; // raw bytes not yet taken: raw[rawStart, rawEnd)
    int rawEnd;
    bool rawEnded; // read reported the end (or an error)
    bool ended;    // no text follows: Ctrl+Z, or the raw bytes ran out
    unsigned char raw[1 << 16];
};

void initTextModeInput(TextModeInput *input, ReadBytes read, void *handle);

// Reads up to size bytes of text into buffer: the count, 0 at the end. Waits
// for more raw bytes only when it has none to give, or to see what follows a
// carriage return.
int readTextMode(TextModeInput *input, unsigned char *buffer, int size);

// Writes count bytes with line feeds expanded into out, which has room for
// 2 * count bytes; returns the length written.
int expandLineFeeds(const unsigned char *bytes, int count, unsigned char *out);

#endif
