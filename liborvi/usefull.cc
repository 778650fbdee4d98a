// usefull.cc: the support library's general utilities. Memory that ends the
// process instead of failing, the growable byte array behind the readers,
// string copies and case-insensitive comparisons, three text readers, the
// escape printer and the yes/no setting reader. No platform calls here.
#include "usefull.h"

#include <ctype.h>
#include <errno.h>
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

// ---- Memory --------------------------------------------------------------

namespace {

// Ends the process the way every exhausted allocation does: the request, a
// colon and the system's text for errno on standard error, then status 1.
[[noreturn]] void exitExhausted(const char *verb, int size) {
    char text[64];
    snprintf(text, sizeof text, "%s %d bytes", verb, size);
    perror(text);
    exit(1);
}

// A request that cannot even be expressed as an int byte count is exhaustion
// too; it is reported with the largest count there is.
[[noreturn]] void exitOversized(const char *verb) {
    errno = ENOMEM;
    exitExhausted(verb, INT_MAX);
}

} // namespace

void *allocOrExit(void *block, int size) {
    if (size <= 0) size = 1;
    void *result = block ? realloc(block, size) : malloc(size);
    if (!result) exitExhausted(block ? "realloc" : "malloc", size);
    return result;
}

void freeBlock(void *block) {
    if (block) free(block);
}

int floorLog2(int n) {
    int log = 0;
    while (n > 1) {
        n >>= 1;
        log++;
    }
    return log;
}

namespace {

// The 16 bytes in front of a GrowArray's elements.
struct ArrayHeader {
    int32_t creationSize; // bytes asked for when the array was made
    int32_t usedSize;     // bytes of the latest request
    uint32_t blockSize;   // the whole block, header included
    uint32_t spare;
};
static_assert(sizeof(ArrayHeader) == 16, "the elements start 16 bytes into the block");

ArrayHeader *headerOf(void *array) {
    return reinterpret_cast<ArrayHeader *>(static_cast<char *>(array) - sizeof(ArrayHeader));
}

void *elementsOf(ArrayHeader *header) {
    return header + 1;
}

// The largest need whose block (the next power of two at or above need + 32,
// less 16) still has a size that the header's signed fields can hold.
const int64_t LargestNeed = (static_cast<int64_t>(1) << 31) - 32;

// The block for a need: the smallest power of two at least need + 32, less 16,
// so that needs 1-32 get 48 bytes, 33-96 get 112 and so on.
uint32_t blockSizeFor(int32_t need) {
    return (static_cast<uint32_t>(1) << (floorLog2(need + 31) + 1)) - 16;
}

} // namespace

void *growArray(void *array, int count, int size) {
    // The product is taken in 64 bits: an int product could overflow.
    int64_t product = static_cast<int64_t>(count) * size;
    if (product <= 0) product = 1;
    const char *verb = array ? "realloc" : "malloc";
    if (product > LargestNeed) exitOversized(verb);
    int32_t need = static_cast<int32_t>(product);
    uint32_t blockSize = blockSizeFor(need);
    if (!array) {
        ArrayHeader *header = static_cast<ArrayHeader *>(malloc(blockSize));
        if (!header) exitExhausted(verb, static_cast<int>(blockSize));
        header->creationSize = need;
        header->usedSize = need;
        header->blockSize = blockSize;
        return elementsOf(header);
    }
    ArrayHeader *header = headerOf(array);
    if (header->blockSize >= static_cast<uint32_t>(need) + 16) {
        header->usedSize = need;
        return array;
    }
    header = static_cast<ArrayHeader *>(realloc(header, blockSize));
    if (!header) exitExhausted(verb, static_cast<int>(blockSize));
    header->usedSize = need;
    header->blockSize = blockSize;
    return elementsOf(header);
}

void freeArray(void *array) {
    if (array) free(headerOf(array));
}

void *finishArray(void *array) {
    if (!array) {
        // Callers may read the block as a string: make it an empty one.
        char *empty = static_cast<char *>(allocOrExit(nullptr, 0));
        empty[0] = '\0';
        return empty;
    }
    int used = headerOf(array)->usedSize;
    void *block = allocOrExit(nullptr, used);
    memcpy(block, array, used);
    freeArray(array);
    return block;
}

// ---- Strings -------------------------------------------------------------

namespace {

// Bytes for a string of the given length and its NUL, as allocOrExit's int.
int stringBlockSize(size_t length, const char *verb) {
    if (length >= static_cast<size_t>(INT_MAX)) exitOversized(verb);
    return static_cast<int>(length + 1);
}

} // namespace

char *copyString(const char *s) {
    if (!s) s = "";
    size_t length = strlen(s);
    char *copy = static_cast<char *>(allocOrExit(nullptr, stringBlockSize(length, "malloc")));
    memcpy(copy, s, length + 1);
    return copy;
}

char *appendString(char *s, const char *t) {
    if (!t) return s;
    if (!s) return copyString(t);
    size_t oldLength = strlen(s);
    size_t tLength = strlen(t);
    s = static_cast<char *>(allocOrExit(s, stringBlockSize(oldLength + tLength, "realloc")));
    memcpy(s + oldLength, t, tLength + 1);
    return s;
}

namespace {

// ctype functions take the character as an unsigned char value: a plain char
// above 127 would be negative and undefined behaviour.
int lowerOf(char c) {
    return tolower(static_cast<unsigned char>(c));
}
int upperOf(char c) {
    return toupper(static_cast<unsigned char>(c));
}

char *mappedCopy(const char *s, int (*map)(char)) {
    if (!s) s = "";
    size_t length = strlen(s);
    char *copy = static_cast<char *>(allocOrExit(nullptr, stringBlockSize(length, "malloc")));
    for (size_t i = 0; i < length; i++)
        copy[i] = static_cast<char>(map(s[i]));
    copy[length] = '\0';
    return copy;
}

} // namespace

char *upperCopy(const char *s) {
    return mappedCopy(s, upperOf);
}
char *lowerCopy(const char *s) {
    return mappedCopy(s, lowerOf);
}

int compareNoCase(const char *a, const char *b) {
    for (size_t i = 0;; i++) {
        int difference = lowerOf(a[i]) - lowerOf(b[i]);
        if (difference != 0) return difference;
        if (a[i] == '\0') return 0;
    }
}

// A prefix test: the end of a counts as equal whatever b holds there.
int compareNoCaseN(const char *a, const char *b, int n) {
    for (int i = 0; i < n && a[i] != '\0'; i++) {
        int difference = lowerOf(a[i]) - lowerOf(b[i]);
        if (difference != 0) return difference;
    }
    return 0;
}

// ---- Stream readers ------------------------------------------------------

namespace {

// A byte GrowArray filled one character at a time.
struct ByteBuffer {
    char *bytes;
    int count;
};

void appendByte(ByteBuffer *buffer, char c) {
    if (buffer->count == INT_MAX) exitOversized("realloc");
    buffer->bytes = static_cast<char *>(growArray(buffer->bytes, buffer->count + 1, 1));
    buffer->bytes[buffer->count++] = c;
}

// The text up to its first NUL as a plain string; the array is released.
char *finishText(ByteBuffer *buffer) {
    appendByte(buffer, '\0');
    char *text = copyString(buffer->bytes);
    freeArray(buffer->bytes);
    return text;
}

void writePrompt(const char *prompt, FILE *promptStream) {
    if (prompt && promptStream) fputs(prompt, promptStream);
}

// The newline just stored at position p ends a line made of one terminator
// character. A NUL byte is no terminator although strchr finds the string's
// own end for it.
bool endsParagraph(const char *bytes, int p, const char *terminators) {
    if (p < 1) return false;
    char last = bytes[p - 1];
    if (last == '\0' || !strchr(terminators, last)) return false;
    return p == 1 || bytes[p - 2] == '\n';
}

} // namespace

char *readParagraph(FILE *in, const char *terminators, const char *prompt, FILE *promptStream) {
    ByteBuffer buffer = {nullptr, 0};
    writePrompt(prompt, promptStream);
    int c;
    while ((c = fgetc(in)) != EOF) {
        appendByte(&buffer, static_cast<char>(c));
        if (c != '\n') continue;
        int p = buffer.count - 1;
        if (endsParagraph(buffer.bytes, p, terminators)) {
            // Drop the terminator line; an empty paragraph is one newline.
            buffer.count = p - 1;
            if (buffer.count == 0) appendByte(&buffer, '\n');
            return finishText(&buffer);
        }
        writePrompt(prompt, promptStream);
    }
    // A console can be read again after its end-of-file key.
    clearerr(in);
    if (buffer.count == 0 || buffer.bytes[buffer.count - 1] != '\n') appendByte(&buffer, '\n');
    return finishText(&buffer);
}

namespace {

// fgets does not say how many bytes it read, and a NUL byte in the input makes
// strlen stop short. The region is therefore filled with newlines first: fgets
// ends what it wrote with a NUL, so the last byte that is not a newline is that
// NUL. Returns the count of bytes read, or -1 at end of input.
int readChunk(char *region, int size, FILE *in) {
    memset(region, '\n', size);
    if (!fgets(region, size, in)) return -1;
    int end = size - 1;
    while (end > 0 && region[end] == '\n')
        end--;
    return end;
}

} // namespace

// A line's NUL bytes stay in the buffer: the caller sees the text up to the
// first of them, and the rest of that line is consumed, not joined to the next.
char *readLine(FILE *in) {
    int capacity = 10;
    int position = 0;
    char *line = static_cast<char *>(allocOrExit(nullptr, capacity));
    for (;;) {
        int count = readChunk(line + position, capacity - position, in);
        if (count < 0) {
            if (position == 0) {
                free(line);
                return nullptr;
            }
            line[position] = '\0';
            return line;
        }
        position += count;
        if (count > 0 && line[position - 1] == '\n') {
            line[position - 1] = '\0';
            return line;
        }
        if (capacity > INT_MAX - 100) exitOversized("realloc");
        capacity += 100;
        line = static_cast<char *>(allocOrExit(line, capacity));
    }
}

char *readJoinedLine(FILE *in) {
    ByteBuffer buffer = {nullptr, 0};
    int c;
    while ((c = fgetc(in)) != EOF) {
        if (c != '\n') {
            appendByte(&buffer, static_cast<char>(c));
            continue;
        }
        if (buffer.count == 0 || buffer.bytes[buffer.count - 1] != '\\') return finishText(&buffer);
        buffer.bytes[buffer.count - 1] = '\n'; // backslash-newline continues the line
    }
    clearerr(in);
    return finishText(&buffer);
}

// ---- Character escapes ---------------------------------------------------

namespace {

// The control characters with a letter of their own, and their letters.
const char EscapedControls[] = "\b\t\n\v\f\r";
const char EscapeLetters[] = "btnvfr";

} // namespace

void printEscapedChar(FILE *out, int c) {
    // Codes are 0-255; a plain char above 127 arrives negative.
    c = static_cast<unsigned char>(c);
    if (isprint(c) && c != '\'' && c != '"' && c != '\\') {
        putc(c, out);
        return;
    }
    putc('\\', out);
    // The control characters with a letter of their own, then the quotes and
    // the backslash as themselves, anything else in three octal digits.
    const char *control = c != 0 ? strchr(EscapedControls, c) : nullptr;
    if (c == 0)
        putc('0', out);
    else if (control)
        putc(EscapeLetters[control - EscapedControls], out);
    else if (c == '"' || c == '\'' || c == '\\')
        putc(c, out);
    else
        fprintf(out, "%3.3o", c);
}

// ---- Settings ------------------------------------------------------------

namespace {

// atoi's result for out-of-range digits is undefined: clamp to int instead.
int leadingNumber(const char *text) {
    long value = strtol(text, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

} // namespace

int parseFlag(const char *text, int defaultValue) {
    if (!text) return defaultValue;
    char first = text[0];
    if (first >= '0' && first <= '9') return leadingNumber(text);
    if (first == 'o' || first == 'O')
        return strcmp(text + 1, "ff") == 0 || strcmp(text + 1, "FF") == 0 ? 0 : 1;
    if (first == '\0' || first == 'f' || first == 'n' || first == 'F' || first == 'N') return 0;
    return 1;
}
