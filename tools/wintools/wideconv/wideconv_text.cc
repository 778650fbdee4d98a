// The read buffer of wideconv: its size, its terminating zeros, the test for
// UTF-16LE text and that text's rules. Portable; no platform calls.
#include "wideconv_text.h"

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

namespace {

const unsigned ControlZ = 0x1A;
const unsigned CarriageReturn = 0x0D;
const unsigned LineFeed = 0x0A;

// Units the scan for the end of the text takes at a time.
const size_t BlockUnits = 4096;

bool endsText(unsigned unit, bool textStreams) {
    return unit == 0 || (textStreams && unit == ControlZ);
}

// Units before the first one that ends the text; terminateText has put a zero
// unit within the first count units. The scan goes in blocks with no exit
// inside, so that the compiler can vectorise it: a large file spends a good
// part of its time here.
size_t findTextEnd(const unsigned char *units, size_t count, bool textStreams) {
    for (size_t at = 0; at < count; at += BlockUnits) {
        size_t end = count - at < BlockUnits ? count : at + BlockUnits;
        unsigned enders = 0;
        for (size_t i = at; i < end; ++i)
            enders += endsText(codeUnitAt(units, i), textStreams);
        if (enders == 0) continue;
        while (!endsText(codeUnitAt(units, at), textStreams))
            ++at;
        return at;
    }
    return count;
}

// Drops each CR unit directly before an LF unit from units [0, count); the
// rest moves up. Returns the units left.
size_t joinLineEnds(unsigned char *units, size_t count) {
    size_t kept = 0;
    for (size_t at = 0; at < count; ++at) {
        if (codeUnitAt(units, at) == CarriageReturn && at + 1 < count &&
            codeUnitAt(units, at + 1) == LineFeed)
            continue;
        if (kept != at) memcpy(units + 2 * kept, units + 2 * at, 2);
        ++kept;
    }
    return kept;
}

} // namespace

size_t prepareWideText(ReadBuffer *buffer, bool textStreams) {
    unsigned char *units = buffer->bytes + 2;
    // The zero unit terminateText placed lies within the data and its two
    // zero bytes, which start at offset 2 as the text does.
    size_t count = findTextEnd(units, buffer->count / 2, textStreams);
    if (textStreams) count = joinLineEnds(units, count);
    units[2 * count] = 0;
    units[2 * count + 1] = 0;
    return 2 * count;
}

char *copyByteText(const ReadBuffer &buffer, size_t *size) {
    const char *text = reinterpret_cast<const char *>(buffer.bytes);
    *size = strlen(text) + 1;
    char *copy = static_cast<char *>(malloc(*size));
    if (copy != nullptr) memcpy(copy, text, *size);
    return copy;
}
