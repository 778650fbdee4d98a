// glimpage_platform.h: the system services the pager's portable core uses,
// as one table. The system layer (glimpage_system.cc) fills it for the program;
// the tests and the fuzzer build theirs over memory.
#ifndef ORVI_GLIMPAGE_PLATFORM_H
#define ORVI_GLIMPAGE_PLATFORM_H

#include "glimpage_screen.h"
#include "textstream.h"

struct PagerPlatform {
    // Writes to standard output as the system's text streams do (on Windows
    // every line feed leaves as carriage return and line feed). Returns 0, or
    // the error (errno) of the first write that failed; nothing is written
    // after that.
    int (*writeOutput)(const unsigned char *bytes, int count);
    // Appends a complete message to standard error.
    void (*writeError)(const char *text);
    // Says on standard error that reading name failed with error (errno).
    void (*reportReadFailure)(const char *name, int error);
    // Standard input (the script), read as a text stream; the handle is not
    // used.
    ReadBytes readInput;
    // Text files named by the script, opened for reading as text streams.
    // openTextFile returns null when the file cannot be opened (a directory
    // counts as one that cannot be opened).
    void *(*openTextFile)(const char *name);
    ReadBytes readTextFile;
    void (*closeTextFile)(void *file);
    // Null when output can never be a screen.
    const PagerScreen *screen;
};

#endif
