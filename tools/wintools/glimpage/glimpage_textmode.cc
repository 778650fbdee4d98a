// glimpage_textmode.cc: block-wise text mode.
#include "glimpage_textmode.h"

#include <string.h>

namespace {

// Reads more raw bytes after the keep bytes at raw's start; false at the end.
bool readRaw(TextModeInput *input, int keep) {
    if (input->rawEnded) return false;
    int got =
        input->read(input->handle, input->raw + keep, static_cast<int>(sizeof input->raw) - keep);
    if (got <= 0) {
        input->rawEnded = true;
        return false;
    }
    input->rawStart = 0;
    input->rawEnd = keep + got;
    return true;
}

} // namespace

void initTextModeInput(TextModeInput *input, ReadBytes read, void *handle) {
    input->read = read;
    input->handle = handle;
    input->rawStart = input->rawEnd = 0;
    input->rawEnded = false;
    input->ended = false;
}

int readTextMode(TextModeInput *input, unsigned char *buffer, int size) {
    int length = 0;
    while (length < size && !input->ended) {
        if (input->rawStart == input->rawEnd) {
            // Hand out what there is before waiting for more.
            if (length > 0) break;
            if (!readRaw(input, 0)) {
                input->ended = true;
                break;
            }
        }
        // Copy the stretch up to the next carriage return or Ctrl+Z at once.
        const unsigned char *start = input->raw + input->rawStart;
        const unsigned char *end = input->raw + input->rawEnd;
        if (end - start > size - length) end = start + (size - length);
        const unsigned char *p = start;
        while (p < end && *p != '\r' && *p != 0x1A)
            ++p;
        int plain = static_cast<int>(p - start);
        memcpy(buffer + length, start, static_cast<size_t>(plain));
        length += plain;
        input->rawStart += plain;
        if (p == end) continue;

        if (*p == 0x1A) {
            input->ended = true;
            break;
        }
        // A carriage return: whether it is dropped depends on the next byte,
        // which may not have been read yet; at the very end it is kept.
        if (input->rawStart + 1 == input->rawEnd) {
            input->raw[0] = '\r';
            if (!readRaw(input, 1)) {
                input->rawStart = 0;
                input->rawEnd = 1;
            }
        }
        if (input->rawStart + 1 < input->rawEnd && input->raw[input->rawStart + 1] == '\n') {
            input->rawStart++;
            continue;
        }
        buffer[length++] = '\r';
        input->rawStart++;
    }
    return length;
}

int expandLineFeeds(const unsigned char *bytes, int count, unsigned char *out) {
    unsigned char *start = out;
    for (const unsigned char *end = bytes + count; bytes < end; ++bytes) {
        if (*bytes == '\n') *out++ = '\r';
        *out++ = *bytes;
    }
    return static_cast<int>(out - start);
}
