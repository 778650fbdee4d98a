// glimpage_stream.cc: the refill side of ByteSource.
#include "glimpage_stream.h"

void initByteSource(ByteSource *source, ReadBytes read, void *handle, unsigned char *block,
                    int blockSize) {
    source->next = block;
    source->end = block;
    source->read = read;
    source->handle = handle;
    source->block = block;
    source->blockSize = blockSize;
    source->finished = false;
}

int refillByteSource(ByteSource *source) {
    // Once the end (or an error) has been seen the source stays at its end:
    // a console or pipe could deliver more, but nobody reads past an end.
    if (source->finished) return EndOfInput;
    int count = source->read(source->handle, source->block, source->blockSize);
    if (count <= 0) {
        source->finished = true;
        source->next = source->end = source->block;
        return EndOfInput;
    }
    source->next = source->block;
    source->end = source->block + count;
    return *source->next++;
}
