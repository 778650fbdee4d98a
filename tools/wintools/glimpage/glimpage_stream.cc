// glimpage_stream.cc: the refill side of ByteSource.
#include "glimpage_stream.h"

#include <errno.h>
#include <string.h>

namespace {

// Reads behind the available bytes; false once the input has ended. Once the
// end (or an error) has been seen the source stays at its end: a console or
// pipe could deliver more, but nobody reads past an end.
bool readMore(ByteSource *source) {
    if (source->finished) return false;
    unsigned char *end = const_cast<unsigned char *>(source->end);
    int room = source->blockSize - static_cast<int>(end - source->block);
    int count = source->read(source->handle, end, room);
    if (count > 0) {
        source->end = end + count;
        return true;
    }
    source->finished = true;
    if (count < 0) source->error = errno != 0 ? errno : EIO;
    return false;
}

} // namespace

void initByteSource(ByteSource *source, ReadBytes read, void *handle, unsigned char *block,
                    int blockSize) {
    source->next = block;
    source->end = block;
    source->read = read;
    source->handle = handle;
    source->block = block;
    source->blockSize = blockSize;
    source->finished = false;
    source->error = 0;
}

int refillByteSource(ByteSource *source) {
    source->next = source->end = source->block;
    if (!readMore(source)) return EndOfInput;
    return *source->next++;
}

size_t fillByteSource(ByteSource *source, size_t want) {
    size_t available = static_cast<size_t>(source->end - source->next);
    if (want > static_cast<size_t>(source->blockSize))
        want = static_cast<size_t>(source->blockSize);
    if (available >= want) return available;
    memmove(source->block, source->next, available);
    source->next = source->block;
    source->end = source->block + available;
    while (available < want && readMore(source))
        available = static_cast<size_t>(source->end - source->next);
    return available;
}
