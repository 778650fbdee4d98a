// glimpage_script.h: the reader of the highlight script, one command a line:
//
//   letter [blanks] [-]digits [blanks] [-]digits ( '|' argument )? line-feed
//
// The reader is strict: it takes exactly the bytes of that grammar and never
// skips to the end of a line by itself, so a malformed line shifts how the
// lines after it are read. Every byte sequence yields some command.
#ifndef ORVI_GLIMPAGE_SCRIPT_H
#define ORVI_GLIMPAGE_SCRIPT_H

#include <stdint.h>

#include "glimpage_stream.h"

// The longest argument kept; the rest of its line is read and dropped.
const int MaxArgumentLength = 1023;

struct ScriptCommand {
    int letter;           // first byte of the command's line, 0-255
    int32_t line;         // 1 is the first line of the text file
    int32_t column;       // 1 is a line's first byte; for '-' one more than written
    const char *argument; // bytes after '|' up to the line feed, or ""
};

// Reads the next command from stream. Returns true when a command was read
// and the script goes on; false at the end of the input, including for a
// last command whose line has no final line feed (it is not to be run).
// Numbers wrap modulo 2^32. argument points into one reader-owned buffer that
// the next call with an argument overwrites.
bool readScriptCommand(ByteSource *stream, int32_t *line, int32_t *column, int *letter,
                       const char **argument);

#endif
