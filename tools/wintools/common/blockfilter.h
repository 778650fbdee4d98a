// blockfilter.h: what the filters of overstruck text (glimrtf, glimhtml)
// share: the buffer they write into, the write position they keep while they
// convert a block, and their program around them, which reads standard input
// in large blocks to its end and writes standard output in large blocks.
// Large blocks keep the per-call cost of the system (and of Wine) out of the
// conversion, and a filter's memory constant whatever the input's length.
#ifndef ORVI_BLOCKFILTER_H
#define ORVI_BLOCKFILTER_H

#include <stddef.h>

// A buffer that a filter fills and its owner empties. Whenever the filter
// needs room it calls flush, which must hand buffer[0, used) on and set used
// to 0. context is the owner's.
struct BlockSink {
    char *buffer;
    size_t capacity;
    size_t used;
    void (*flush)(BlockSink *sink);
    void *context;
};

// A sink's write position, held in a local while a block is converted: the
// compiler need not reload it after every byte stored through a char
// pointer. While out <= roomEnd, the room asked for at opening fits.
struct SinkCursor {
    BlockSink *sink;
    char *out;
    char *roomEnd;
};

inline void openSinkCursor(SinkCursor &c, BlockSink *sink, size_t room) {
    c.sink = sink;
    c.out = sink->buffer + sink->used;
    c.roomEnd = sink->buffer + (sink->capacity - room);
}

// Hands the write position back to the sink.
inline void closeSinkCursor(const SinkCursor &c) {
    c.sink->used = static_cast<size_t>(c.out - c.sink->buffer);
}

// Flushes the sink when less than the room asked for is left.
inline void makeRoom(SinkCursor &c) {
    if (c.out <= c.roomEnd) return;
    closeSinkCursor(c);
    c.sink->flush(c.sink);
    c.out = c.sink->buffer + c.sink->used;
}

// Writes text of any length into the sink, in pieces as it has room.
void putToSink(BlockSink *sink, const char *text, size_t size);

// A filter over one document that has begun: its state and its two steps.
struct BlockFilter {
    void *state;
    void (*convert)(void *state, const unsigned char *data, size_t size);
    void (*finish)(void *state); // the end of the input: end the document, flush
};

// The start of a filter program: standard input and output in binary mode, a
// write into a pipe whose reader has gone an error rather than the end of the
// process, the character model of the user's locale (of the ANSI code page
// on Windows). Returns the sink over standard output, which writes as the
// platform's text streams write when textOutput (on Windows a line feed
// leaves as CR LF), else bytes as they are.
BlockSink *startFilterProgram(bool textOutput);

// The rest of it: converts standard input, read as the platform's text
// streams read it, to its end, then finishes the document. A failed read ends
// the input there; once a write has failed the rest is dropped. Returns the exit status: 0, or 1
// after a failed read or write, with one line on standard error, "program: standard input: reason"
// or "program: reason" (none for a pipe whose reader has gone).
int runFilterProgram(const char *program, const BlockFilter &filter);

#endif
