// glimrtf_textmode.h: the translation that a Windows C runtime applies when
// it reads a text stream, done over blocks read in binary mode, so that large
// block reads keep the exact semantics of a text-mode stream. (The writing
// side, line feed to carriage return and line feed, is the filter's own
// textStream option.)
#ifndef ORVI_GLIMRTF_TEXTMODE_H
#define ORVI_GLIMRTF_TEXTMODE_H

#include <stddef.h>

// A carriage return followed by a line feed becomes one line
// feed, any other carriage return stays, and a Ctrl-Z byte (0x1A) ends the
// input for good. A carriage return at the very end of a block cannot be
// judged yet: it is held back for the caller to put in front of the next
// block (or to deliver alone at the end of the input).
struct TextReadState {
    bool ended;              // a Ctrl-Z has been met
    bool carriageReturnHeld; // the last block ended in an undecided carriage return
};

// Translates data[0, size) in place and returns the new length (never more
// than size). Bytes from a Ctrl-Z on are dropped and set state->ended.
size_t decodeTextBlock(TextReadState *state, unsigned char *data, size_t size);

#endif
