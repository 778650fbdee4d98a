// sysio.h: the small system I/O helpers the tools share, one implementation
// per platform (sysio_posix.cc, sysio_win32.cc). Descriptors are used in
// binary mode; the Windows text-stream rules are textstream.h's.
#ifndef ORVI_SYSIO_H
#define ORVI_SYSIO_H

#include <stddef.h>
#include <stdio.h>

// Reads up to size bytes from the descriptor: the count, 0 at the end, -1 on
// a failure (errno says which). Interrupted reads are retried, and a
// descriptor that another program made non-blocking is waited on until data
// or the end comes, so "try again" never passes as the end or as a failure.
// On Windows a pipe whose writer has closed is the end. The handle form fits
// ReadBytes (textstream.h), with the descriptor as the handle.
int readDescriptor(int fd, unsigned char *buffer, int size);
int readDescriptorHandle(void *fd, unsigned char *buffer, int size);
void *descriptorHandle(int fd);

// Writes all count bytes: 0, or -1 with errno set by the write that failed.
int writeDescriptor(int fd, const void *bytes, size_t count);

// Opens a file for reading as fopen does, but refuses a directory (EISDIR):
// Windows cannot open one, and elsewhere it would open and fail at the read.
FILE *openForReading(const char *path, const char *mode);

// Puts a descriptor in binary mode (Windows); nothing elsewhere.
void setBinaryMode(int fd);

// Makes a write into a pipe whose reader has gone fail with EPIPE instead of
// ending the process (natively); Windows already does so.
void ignoreClosedPipes();

// True for the error of a write into a pipe whose reader has gone.
bool isClosedPipe(int error);

// The ending of a tool whose standard output failed with error: one line
// "program: reason" on standard error, or nothing for a closed pipe (the
// reader has what it wanted). Returns the exit status, 1.
int writeFailureStatus(const char *program, int error);

// The ending of an input that failed with error: one line "program: name:
// reason" on standard error (name is "standard input" for that). Returns the
// exit status, 1.
int readFailureStatus(const char *program, const char *name, int error);

#endif
