// glimrtf.h: the core of the overstrike-to-RTF filter. It turns overstruck
// text (a highlighted character written as underscore, backspace, character)
// into a Rich Text Format document: one paragraph per line in a fixed-pitch
// 10-point font, overstruck characters bold italic, the rest of a line after a
// form feed bold. The core makes no system call: input arrives in blocks of
// any size, output leaves through a caller's buffer, so any length of input
// is converted in constant memory.
#ifndef ORVI_GLIMRTF_H
#define ORVI_GLIMRTF_H

#include <stddef.h>

// The three text styles; the values are the style codes that setStyle takes.
enum RtfStyle { Bold = 0, BoldItalic = 1, Plain = 2 };

// A buffer that the filter fills and its owner empties. Whenever the filter
// needs room it calls flush, which must hand buffer[0, used) on and set used
// to 0. capacity must be at least rtfSinkMinimum.
struct RtfSink {
    char *buffer;
    size_t capacity;
    size_t used;
    void (*flush)(RtfSink *sink);
    void *context;
};

enum { rtfSinkMinimum = 64 };

// The filter's state over one document.
struct RtfFilter {
    RtfSink *sink;
    RtfStyle currentStyle; // the style whose control string was written last
    RtfStyle savedStyle;   // where a run of overstruck characters returns to
    bool styleWritten;     // some style control string has been written
    int markBytes;         // bytes of an overstrike mark seen: 0, 1 ("_") or 2 ("_\b")
};

// Starts a document: sets up the state and writes the header.
void startRtf(RtfFilter *filter, RtfSink *sink);

// Converts the next block of input. A mark split between two blocks is held
// in the state, so blocks may be cut anywhere.
void filterRtf(RtfFilter *filter, const unsigned char *data, size_t size);

// Ends the document at the end of the input and flushes the sink: an
// overstrike mark the input stopped inside ("_" or "_" and backspace) is
// written as plain text, then "\par }", a line feed and one zero byte.
void finishRtf(RtfFilter *filter);

// Makes the style with the given code current and writes its control string.
void setStyle(RtfFilter *filter, int code);

#endif
