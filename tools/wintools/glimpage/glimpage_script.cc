// glimpage_script.cc: readScriptCommand.
#include "glimpage_script.h"

namespace {

char argumentBuffer[MaxArgumentLength + 1];

bool isBlank(int c) {
    return c == ' ' || c == '\t';
}

int skipBlanks(ByteSource *stream, int c) {
    while (isBlank(c))
        c = getByte(stream);
    return c;
}

// Reads an optional '-' and digits starting at the current byte c; returns
// the byte after them. Done in uint32_t so that long numbers wrap without
// overflowing a signed type. bump adds one before the sign is applied.
int readNumber(ByteSource *stream, int c, bool bump, int32_t *out) {
    bool negative = c == '-';
    if (negative) c = getByte(stream);
    uint32_t value = 0;
    while (c >= '0' && c <= '9') {
        value = value * 10u + static_cast<uint32_t>(c - '0');
        c = getByte(stream);
    }
    if (bump) value += 1u;
    if (negative) value = 0u - value;
    *out = static_cast<int32_t>(value);
    return c;
}

// Reads the argument after '|' up to the line feed; returns the byte that
// ended it (the line feed or EndOfInput).
int readArgument(ByteSource *stream) {
    int length = 0;
    int c = getByte(stream);
    while (c != '\n' && c != EndOfInput) {
        if (length < MaxArgumentLength) argumentBuffer[length++] = static_cast<char>(c);
        c = getByte(stream);
    }
    argumentBuffer[length] = '\0';
    return c;
}

} // namespace

bool readScriptCommand(ByteSource *stream, int32_t *line, int32_t *column, int *letter,
                       const char **argument) {
    int c = getByte(stream);
    if (c == EndOfInput) return false;
    *letter = c;
    c = skipBlanks(stream, getByte(stream));
    c = readNumber(stream, c, false, line);
    c = skipBlanks(stream, c);
    // A '-' command's column is inclusive: stored one further on, so that the
    // highlight ends after the written column's byte.
    c = readNumber(stream, c, *letter == '-', column);
    if (c == '|') {
        c = readArgument(stream);
        *argument = argumentBuffer;
    } else {
        // Whatever ended the column stays consumed; the rest of the line is
        // left for the next call.
        *argument = "";
    }
    return c != EndOfInput;
}
