// glimpage_stream.h: block-buffered byte input for the script and the text
// files. One read call fills a whole block, so taking a byte is a pointer
// comparison instead of a locked library call.
#ifndef GLIMPAGE_STREAM_H
#define GLIMPAGE_STREAM_H

#include <stddef.h>

#include "glimpage_platform.h"

// getByte's value at the end of the input: distinct from every byte.
const int EndOfInput = -1;

struct ByteSource {
    const unsigned char *next;
    const unsigned char *end;
    ReadBytes read;
    void *handle;
    unsigned char *block; // caller-owned buffer that read fills
    int blockSize;
    bool finished; // the end was seen; it stays the end
};

// A source that reads through read(handle, ...) into block.
void initByteSource(ByteSource *source, ReadBytes read, void *handle, unsigned char *block,
                    int blockSize);

// Refills the block; returns its first byte or EndOfInput.
int refillByteSource(ByteSource *source);

inline int getByte(ByteSource *source) {
    if (source->next < source->end) return *source->next++;
    return refillByteSource(source);
}

// What both system layers offer alike. The script on standard input and the
// text files are read in blocks as the Windows build reads its text streams:
// a carriage return before a line feed is dropped, so that files written on
// Windows work everywhere; Ctrl+Z ends them only where the platform's streams
// are text streams. openTextStream opens as fopen(name, "r") does (a directory
// cannot be opened: null); readTextStream and closeTextStream take what it
// returned.
int readStandardInput(void *, unsigned char *buffer, int size);
void *openTextStream(const char *name);
int readTextStream(void *file, unsigned char *buffer, int size);
void closeTextStream(void *file);
// Appends a complete message to standard error.
void writeStandardError(const char *text);

#endif
