// wideconv.h: the pieces of wideconv, the program that prints one text file in
// the system's narrow character set, converting it from UTF-16LE first when
// it starts with the byte-order mark FF FE.
//
// The portable flow lives in wideconv.cc, the read buffer and the rules for
// UTF-16 text in wideconv_text.cc; the size query and the conversion to the
// narrow character set are the platform layer (wideconv_win32.cc,
// wideconv_posix.cc).
#ifndef ORVI_WIDECONV_H
#define ORVI_WIDECONV_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

// Exit statuses, one per kind of failure. 5 is not used. 9 to 11 are failures
// the program checks beyond the historical set; a pipe whose reader has gone
// ends the program quietly with 1, as it does the other tools.
enum WideconvStatus {
    wideconvOk = 0,
    wideconvUsage = 1,
    wideconvReaderGone = 1,
    wideconvNoFile = 2,
    wideconvNoReadBuffer = 3,
    wideconvCantOpen = 4,
    wideconvOverflow = 6,
    wideconvBadSize = 7,
    wideconvBadConversion = 8,
    wideconvNoOutputBlock = 9,
    wideconvReadError = 10,
    wideconvWriteError = 11,
};

// The file's bytes, followed by two zero bytes once terminated. size is the
// block size: the file size reported before opening, plus 2.
struct ReadBuffer {
    unsigned char *bytes;
    size_t size;
    size_t count; // bytes read
};

// ---- Read buffer (wideconv_text.cc) -----------------------------------------

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

// ---- Platform layer (wideconv_win32.cc, wideconv_posix.cc) ----------------

// Called once at start: natively it adopts the user's locale, whose codeset is
// the narrow character set.
void prepareNarrowCharset();

// The size of the file at path by its status query, in 64 bits: a 32-bit
// query fails or wraps for files of 2 GiB or more. 0, or -1 on failure.
int queryFileSize(const char *path, uint64_t *size);

// Size in bytes, terminating zero included, of the narrow form of the UTF-16LE
// text at units (2-aligned): length bytes followed by a zero code unit.
// Returns 0 on failure with the system's error code in *error.
size_t narrowSize(const unsigned char *units, size_t length, unsigned long *error);

// Converts that text into out (outSize bytes, as narrowSize answered), zero
// terminated. Returns the bytes written, terminating zero included, or 0 on
// failure with the system's error code in *error.
size_t convertToNarrow(const unsigned char *units, size_t length, char *out, size_t outSize,
                       unsigned long *error);

#endif
