// glimrtf_textmode.cc: text-stream translation over binary blocks.
#include "glimrtf_textmode.h"

#include <stdint.h>
#include <string.h>

namespace {
const unsigned char carriageReturn = 13;
const unsigned char lineFeed = 10;
const unsigned char controlZ = 0x1A;

// Decoding looks at four bytes at a time and copies words where there is
// nothing to translate: lines run to dozens of bytes, and the C runtime that
// Windows programs get under Wine has a slow byte-wise memchr.
uint32_t loadWord(const void *p) {
    uint32_t word;
    memcpy(&word, p, sizeof word);
    return word;
}

void storeWord(void *p, uint32_t word) {
    memcpy(p, &word, sizeof word);
}

// Whether any byte of word equals the byte that fills pattern.
bool hasByte(uint32_t word, uint32_t pattern) {
    uint32_t x = word ^ pattern;
    return ((x - 0x01010101u) & ~x & 0x80808080u) != 0;
}

const uint32_t carriageReturns = 0x0D0D0D0Du;
const uint32_t controlZs = 0x1A1A1A1Au;

} // namespace

size_t decodeTextBlock(TextReadState *state, unsigned char *data, size_t size) {
    state->carriageReturnHeld = false;
    if (state->ended) return 0;
    size_t i = 0;
    size_t out = 0;
    while (i < size) {
        if (size - i >= 4) {
            // Loaded before stored: the store may overlap it when out < i.
            uint32_t word = loadWord(data + i);
            if (!hasByte(word, carriageReturns) && !hasByte(word, controlZs)) {
                storeWord(data + out, word);
                out += 4;
                i += 4;
                continue;
            }
        }
        unsigned char c = data[i];
        if (c == controlZ) {
            state->ended = true;
            break;
        }
        if (c != carriageReturn) {
            data[out++] = c;
            ++i;
        } else if (i + 1 == size) {
            // Undecided until the next block's first byte is known.
            state->carriageReturnHeld = true;
            ++i;
        } else if (data[i + 1] == lineFeed) {
            data[out++] = lineFeed;
            i += 2;
        } else {
            data[out++] = carriageReturn;
            ++i;
        }
    }
    return out;
}
