// glimrtf_textmode.cc: text-stream translation over binary blocks.
#include "glimrtf_textmode.h"

#include <string.h>

namespace {
const unsigned char carriageReturn = 13;
const unsigned char lineFeed = 10;
const unsigned char controlZ = 0x1A;
} // namespace

size_t decodeTextBlock(TextReadState *state, unsigned char *data, size_t size) {
    if (state->ended) return 0;
    // Scan one byte ahead; a Ctrl-Z cuts the block before anything is judged.
    unsigned char *stop = static_cast<unsigned char *>(memchr(data, controlZ, size));
    if (stop != nullptr) {
        size = static_cast<size_t>(stop - data);
        state->ended = true;
    }
    state->carriageReturnHeld = false;
    size_t out = 0;
    size_t i = 0;
    while (i < size) {
        // Blocks are mostly free of carriage returns: move whole stretches.
        unsigned char *cr =
            static_cast<unsigned char *>(memchr(data + i, carriageReturn, size - i));
        size_t upTo = cr != nullptr ? static_cast<size_t>(cr - data) : size;
        if (out != i) memmove(data + out, data + i, upTo - i);
        out += upTo - i;
        i = upTo;
        if (i == size) break;
        if (i + 1 == size) {
            // Undecided until the next byte is known; at a Ctrl-Z it is
            // known: the input ends after it.
            if (state->ended) {
                data[out++] = carriageReturn;
            } else {
                state->carriageReturnHeld = true;
            }
            i = size;
        } else if (data[i + 1] == lineFeed) {
            data[out++] = lineFeed;
            i += 2;
        } else {
            data[out++] = carriageReturn;
            i += 1;
        }
    }
    return out;
}

size_t encodeTextBlock(const char *data, size_t size, char *out) {
    size_t written = 0;
    size_t i = 0;
    while (i < size) {
        const char *lf = static_cast<const char *>(memchr(data + i, '\n', size - i));
        size_t upTo = lf != nullptr ? static_cast<size_t>(lf - data) : size;
        memcpy(out + written, data + i, upTo - i);
        written += upTo - i;
        i = upTo;
        if (i == size) break;
        out[written++] = '\r';
        out[written++] = '\n';
        ++i;
    }
    return written;
}
