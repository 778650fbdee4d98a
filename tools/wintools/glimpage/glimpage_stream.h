// glimpage_stream.h: block-buffered byte input for the script and the text
// files. One read call fills a whole block, so taking a byte is a pointer
// comparison instead of a locked library call.
#ifndef GLIMPAGE_STREAM_H
#define GLIMPAGE_STREAM_H

#include <stddef.h>

#include "textstream.h"

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

#endif
