// glimpage_stream.h: block-buffered byte input for the script and the text
// files. One read call fills a whole block, so taking a byte is a pointer
// comparison instead of a locked library call.
#ifndef ORVI_GLIMPAGE_STREAM_H
#define ORVI_GLIMPAGE_STREAM_H

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
    int error;     // errno of the read that failed and ended the input, else 0
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

// Makes want bytes (at most the block's size) available from next on, fewer
// only where the input ends: the unread bytes move to the front of the block
// and more are read behind them. Returns the count available.
size_t fillByteSource(ByteSource *source, size_t want);

#endif
