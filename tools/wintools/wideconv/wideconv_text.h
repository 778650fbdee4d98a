// wideconv_text.h: the read buffer of wideconv (wideconv_text.cc): its size,
// its terminating zeros, the test for UTF-16LE text behind the byte-order mark
// FF FE and that text's rules. Portable; no platform calls.
#ifndef ORVI_WIDECONV_TEXT_H
#define ORVI_WIDECONV_TEXT_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

// The file's bytes, followed by two zero bytes once terminated. size is the
// block size: the file size reported before opening, plus 2.
struct ReadBuffer {
    unsigned char *bytes;
    size_t size;
    size_t count; // bytes read
};

// Block size for a file of fileSize bytes: fileSize + 2. Returns 0 when the
// sum does not fit in size_t, so that the caller reports a failed allocation.
size_t readBufferSize(uint64_t fileSize);

// Places the two zero bytes behind the data. Needs count <= size - 2 (the
// caller has rejected longer reads). When the data is UTF-16 of odd length,
// the half code unit at its end is zeroed too, so that the text ends with the
// last whole code unit and its terminating zero unit lies inside the block.
void terminateText(ReadBuffer *buffer);

// True when the (terminated) buffer starts with FF FE.
bool hasByteOrderMark(const ReadBuffer &buffer);

// Ends the UTF-16LE text behind the mark and returns its length in bytes; a
// zero code unit is stored right behind it. The text ends at its first zero
// code unit. With textStreams (a platform whose streams are text streams) it
// also ends at the character U+001A, the Ctrl+Z end of text, and each CR code
// unit directly before an LF one is dropped, because writing the LF gives the
// CR back. Bytes 1A, 0D or 0A inside other characters are data either way.
size_t prepareWideText(ReadBuffer *buffer, bool textStreams);

// A malloc'd copy of the (terminated) byte text up to its first zero byte, or
// null when memory runs out. *size receives the block size asked for: the
// text's length plus one.
char *copyByteText(const ReadBuffer &buffer, size_t *size);

// The index-th UTF-16LE code unit at units. Inline, and a plain 16-bit load
// where the host is little-endian, so that the scans over a large file can be
// vectorised.
inline uint16_t codeUnitAt(const unsigned char *units, size_t index) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint16_t unit;
    memcpy(&unit, units + 2 * index, 2);
    return unit;
#else
    return static_cast<uint16_t>(units[2 * index] | units[2 * index + 1] << 8);
#endif
}

#endif
