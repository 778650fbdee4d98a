// textstream.h: the C runtime's text streams on Windows, done on whole blocks
// of binary input and output. Reading: a carriage return directly before a
// line feed is dropped (also across block ends), any other carriage return is
// kept, and Ctrl+Z (0x1A) ends the input for good (unless the reader keeps it
// as data: a native tool that reads files written on Windows). Writing: every
// line feed leaves as carriage return and line feed. Doing this here, over large blocks,
// keeps the runtime's per-byte text-mode cost out of the tools' copy loops.
// Portable: the tests run it natively.
#ifndef ORVI_TEXTSTREAM_H
#define ORVI_TEXTSTREAM_H

#include <stddef.h>

// Whether the C runtime's standard streams and files are text streams here
// (Windows), so that a tool must apply these rules itself when it reads and
// writes in binary blocks. Elsewhere bytes pass as they are.
#ifdef _WIN32
constexpr bool PlatformTextStreams = true;
#else
constexpr bool PlatformTextStreams = false;
#endif

// Reads up to size bytes into buffer. Returns the count read, 0 at the end of
// the input and -1 on a failure, with errno saying why.
typedef int (*ReadBytes)(void *handle, unsigned char *buffer, int size);

struct TextDecoder {
    bool ended;              // a Ctrl+Z has been met
    bool carriageReturnHeld; // the last block ended in an undecided carriage return
    bool controlZIsData;     // Ctrl+Z is an ordinary byte and ends nothing
};

// Translates data[0, size) in place and returns the new length (never more
// than size). A carriage return that ends the block cannot be judged yet: it
// is dropped from this block and carriageReturnHeld set, and the caller puts
// it in front of the next block (or delivers it alone at the end of the
// input). Bytes from a Ctrl+Z on are dropped and set ended (unless
// controlZIsData).
size_t decodeTextBlock(TextDecoder *decoder, unsigned char *data, size_t size);

// Writes count bytes into out with every line feed expanded; out has room for
// 2 * count bytes. Returns the length written.
size_t expandLineFeeds(const unsigned char *bytes, size_t count, unsigned char *out);

// A text stream over raw bytes from read(handle, ...).
struct TextReader {
    ReadBytes read;
    void *handle;
    TextDecoder decoder;
    bool rawEnded; // read reported the end or a failure
    int error = 0; // errno of the failed read, 0 while none failed
};

void initTextReader(TextReader *reader, ReadBytes read, void *handle, bool controlZIsData = false);

// Reads the next piece of text into buffer (capacity at least 2): the count,
// 0 once the text has ended, or -1 once a read has failed (reader->error says
// why); either stays so. A failure is never taken for the end: what the input
// gave before it is text, the rest is missing. Makes one raw read per call
// unless that read gives no text (a lone carriage return waiting for its
// next byte), so what has arrived is handed out at once.
int readText(TextReader *reader, unsigned char *buffer, int capacity);

// A descriptor written as the platform's text streams write: where they are
// text streams, every line feed leaves as carriage return and line feed.
// After the first failed write nothing more is written, and its error is
// kept for the end of the run (a tool cannot stop at every write).
struct TextWriter {
    int fd;
    int error; // errno of the first write that failed, 0 while none has
};

// Writes count bytes; returns writer->error.
int writeText(TextWriter *writer, const void *bytes, size_t count);

#endif
