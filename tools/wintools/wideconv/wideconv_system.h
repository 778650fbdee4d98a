// wideconv_system.h: wideconv's system layer, one file per platform
// (wideconv_system_win32.cc, wideconv_system_posix.cc): the file's size and
// the conversion of UTF-16LE text to the system's narrow character set (the
// ANSI code page on Windows, the locale's codeset elsewhere).
#ifndef ORVI_WIDECONV_SYSTEM_H
#define ORVI_WIDECONV_SYSTEM_H

#include <stddef.h>
#include <stdint.h>

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
