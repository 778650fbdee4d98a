// The read buffer of wideconv: its size, its terminating zeros and the test
// for UTF-16LE text. Portable; no platform calls.
#include "wideconv.h"

#include <stdlib.h>
#include <string.h>

size_t readBufferSize(uint64_t fileSize) {
    if (fileSize > static_cast<uint64_t>(SIZE_MAX) - 2) return 0;
    return static_cast<size_t>(fileSize) + 2;
}

void terminateText(ReadBuffer *buffer) {
    size_t count = buffer->count;
    buffer->bytes[count] = 0;
    buffer->bytes[count + 1] = 0;
    // Odd UTF-16 data would pair its last byte with the first zero byte and
    // leave the zero unit straddling the end of the block. Dropping the half
    // unit ends the text with the last whole code unit instead.
    if (count % 2 == 1 && hasByteOrderMark(*buffer)) buffer->bytes[count - 1] = 0;
}

bool hasByteOrderMark(const ReadBuffer &buffer) {
    return buffer.bytes[0] == 0xFF && buffer.bytes[1] == 0xFE;
}

char *copyByteText(const ReadBuffer &buffer, size_t *size) {
    const char *text = reinterpret_cast<const char *>(buffer.bytes);
    *size = strlen(text) + 1;
    char *copy = static_cast<char *>(malloc(*size));
    if (copy != nullptr) memcpy(copy, text, *size);
    return copy;
}
