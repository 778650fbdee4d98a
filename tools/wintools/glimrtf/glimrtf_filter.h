// glimrtf_filter.h: the core of the overstrike-to-RTF filter. It turns overstruck
// text (a highlighted character written as underscore, backspace, character)
// into a Rich Text Format document: one paragraph per line in a fixed-pitch
// 10-point font, overstruck characters bold italic, the rest of a line after a
// form feed bold. The core makes no system call: input arrives in blocks of
// any size, output leaves through a caller's buffer, so any length of input
// is converted in constant memory.
//
// Text is split into characters by the character model (characters.h, set up
// before startRtf), so that a mark makes a whole character of several bytes
// bold italic. Natively every character beyond ASCII is written as a Unicode
// escape ("\uN?", two for a character beyond U+FFFF) and a byte that is no
// character as "\'hh", which any reader shows alike. On Windows the bytes
// stay as they are, for a reader that takes them in the same ANSI code page;
// only the trail byte of a double-byte character that is a brace or a
// backslash is written as "\'hh", so that it cannot be read as RTF syntax.
#ifndef ORVI_GLIMRTF_FILTER_H
#define ORVI_GLIMRTF_FILTER_H

#include "characters.h"

#include <stddef.h>

#include "blockfilter.h"

#ifdef _WIN32
constexpr bool RtfKeepsBytes = true;
#else
constexpr bool RtfKeepsBytes = false;
#endif

// The three text styles; the values are the style codes that setStyle takes.
enum RtfStyle { Bold = 0, BoldItalic = 1, Plain = 2 };

// The filter writes into a BlockSink (blockfilter.h) whose capacity is at
// least RtfSinkMinimum.
enum { RtfSinkMinimum = 64 };

// The most that the end of a block can leave undecided: a mark and a
// character that is not complete yet.
constexpr size_t RtfHeldMaximum = 2 + MaxCharacterBytes;

// The filter's state over one document.
struct RtfFilter {
    BlockSink *sink;
    RtfStyle currentStyle; // the style whose control string was written last
    RtfStyle savedStyle;   // where a run of overstruck characters returns to
    bool styleWritten;     // some style control string has been written
    // The end of the last block, held until the next one decides it: an
    // overstrike mark ("_" or "_" and backspace), a character cut short, or both.
    unsigned char held[RtfHeldMaximum];
    int heldBytes;
};

// Starts a document: sets up the state and writes the header.
void startRtf(RtfFilter *filter, BlockSink *sink);

// Converts the next block of input. Blocks may be cut anywhere, also inside
// a mark or a character.
void filterRtf(RtfFilter *filter, const unsigned char *data, size_t size);

// Ends the document at the end of the input and flushes the sink: an
// overstrike mark the input stopped inside ("_" or "_" and backspace) is
// written as plain text, a character cut short as the bytes it has (each no
// character), then "\par }", a line feed and one zero byte.
void finishRtf(RtfFilter *filter);

// Makes the style with the given code current and writes its control string.
void setStyle(RtfFilter *filter, int code);

#endif
