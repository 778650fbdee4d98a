// glimrtf_stream.h: the standard streams of glimrtf, one implementation per
// platform. Windows (glimrtf_win32.cc) reads and writes text streams;
// elsewhere (glimrtf_posix.cc) bytes pass as they are.
#ifndef ORVI_GLIMRTF_STREAM_H
#define ORVI_GLIMRTF_STREAM_H

#include <stddef.h>

// Prepares standard input and output for block I/O. Called once, first.
void openStreams();

// Reads the next block of standard input into buffer (capacity at least 2
// bytes) and returns its length; 0 means the input has ended, and it stays
// ended. Read errors count as the end of the input.
size_t readInput(unsigned char *buffer, size_t capacity);

// Whether standard output is a text stream, whose line feeds the filter must
// write as carriage return and line feed (writeOutput passes bytes as they are).
bool outputIsTextStream();

// Writes data to standard output. Failures are ignored: the filter has no way
// to report them and ends with status 0 regardless.
void writeOutput(const char *data, size_t size);

#endif
