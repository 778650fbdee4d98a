// textstream.cc: block-wise text streams.
#include "textstream.h"

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

size_t decodeTextBlock(TextDecoder *decoder, unsigned char *data, size_t size) {
    decoder->carriageReturnHeld = false;
    if (decoder->ended) return 0;
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
            decoder->ended = true;
            break;
        }
        if (c != carriageReturn) {
            data[out++] = c;
            ++i;
        } else if (i + 1 == size) {
            decoder->carriageReturnHeld = true;
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

size_t expandLineFeeds(const unsigned char *bytes, size_t count, unsigned char *out) {
    unsigned char *start = out;
    for (const unsigned char *end = bytes + count; bytes < end; ++bytes) {
        if (*bytes == lineFeed) *out++ = carriageReturn;
        *out++ = *bytes;
    }
    return static_cast<size_t>(out - start);
}

void initTextReader(TextReader *reader, ReadBytes read, void *handle) {
    reader->read = read;
    reader->handle = handle;
    reader->decoder = TextDecoder{false, false};
    reader->rawEnded = false;
}

int readText(TextReader *reader, unsigned char *buffer, int capacity) {
    while (!reader->rawEnded && !reader->decoder.ended) {
        // A carriage return held back from the previous block goes in front,
        // so that a pair split between two reads still becomes a line feed.
        int held = 0;
        if (reader->decoder.carriageReturnHeld) {
            buffer[0] = carriageReturn;
            held = 1;
        }
        int got = reader->read(reader->handle, buffer + held, capacity - held);
        if (got <= 0) {
            reader->rawEnded = true;
            return held;
        }
        size_t size = decodeTextBlock(&reader->decoder, buffer, static_cast<size_t>(held + got));
        if (size > 0) return static_cast<int>(size);
    }
    return 0;
}
