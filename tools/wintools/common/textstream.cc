// textstream.cc: block-wise text streams.
#include "textstream.h"

#include <errno.h>
#include <stdint.h>
#include <string.h>

#include "sysio.h"

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace {

const unsigned char CarriageReturn = 13;
const unsigned char LineFeed = 10;
const unsigned char ControlZ = 0x1A;

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

const uint32_t CarriageReturns = 0x0D0D0D0Du;
const uint32_t ControlZs = 0x1A1A1A1Au;

} // namespace

size_t decodeTextBlock(TextDecoder *decoder, unsigned char *data, size_t size) {
    decoder->carriageReturnHeld = false;
    if (decoder->ended) return 0;
    // Where Ctrl+Z is data the word test looks for carriage returns only.
    const uint32_t ends = decoder->controlZIsData ? CarriageReturns : ControlZs;
    size_t i = 0;
    size_t out = 0;
    while (i < size) {
        if (size - i >= 4) {
            // Loaded before stored: the store may overlap it when out < i.
            uint32_t word = loadWord(data + i);
            if (!hasByte(word, CarriageReturns) && !hasByte(word, ends)) {
                storeWord(data + out, word);
                out += 4;
                i += 4;
                continue;
            }
        }
        unsigned char c = data[i];
        if (c == ControlZ && !decoder->controlZIsData) {
            decoder->ended = true;
            break;
        }
        if (c != CarriageReturn) {
            data[out++] = c;
            ++i;
        } else if (i + 1 == size) {
            decoder->carriageReturnHeld = true;
            ++i;
        } else if (data[i + 1] == LineFeed) {
            data[out++] = LineFeed;
            i += 2;
        } else {
            data[out++] = CarriageReturn;
            ++i;
        }
    }
    return out;
}

namespace {

unsigned char *expandBytes(const unsigned char *bytes, const unsigned char *end,
                           unsigned char *out) {
    for (; bytes < end; ++bytes) {
        if (*bytes == LineFeed) *out++ = CarriageReturn;
        *out++ = *bytes;
    }
    return out;
}

#if defined(__i386__) || defined(__x86_64__)
// Sixteen bytes at a time up to each line feed: an RTF document is several
// times the size of its input, and byte by byte (or word by word) this pass
// alone nearly doubled glimrtf's time under Wine. Advances *bytes while 16 or
// more are left; out must have room for twice what is left.
__attribute__((target("sse2"))) unsigned char *
expandBlocks(const unsigned char **bytes, const unsigned char *end, unsigned char *out) {
    const __m128i lineFeeds = _mm_set1_epi8(LineFeed);
    while (end - *bytes >= 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(*bytes));
        // Stored whole; what follows a line feed is stored again after its CR LF.
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), block);
        int found = _mm_movemask_epi8(_mm_cmpeq_epi8(block, lineFeeds));
        int plain = found == 0 ? 16 : __builtin_ctz(static_cast<unsigned>(found));
        out += plain;
        *bytes += plain;
        if (found != 0) {
            *out++ = CarriageReturn;
            *out++ = LineFeed;
            ++*bytes;
        }
    }
    return out;
}
#endif

} // namespace

size_t expandLineFeeds(const unsigned char *bytes, size_t count, unsigned char *out) {
    const unsigned char *end = bytes + count;
    unsigned char *start = out;
#if defined(__i386__) || defined(__x86_64__)
    if (__builtin_cpu_supports("sse2")) out = expandBlocks(&bytes, end, out);
#endif
    return static_cast<size_t>(expandBytes(bytes, end, out) - start);
}

void initTextReader(TextReader *reader, ReadBytes read, void *handle, bool controlZIsData) {
    reader->read = read;
    reader->handle = handle;
    reader->decoder = TextDecoder{false, false, controlZIsData};
    reader->rawEnded = false;
    reader->error = 0;
}

int readText(TextReader *reader, unsigned char *buffer, int capacity) {
    while (!reader->rawEnded && !reader->decoder.ended) {
        // A carriage return held back from the previous block goes in front,
        // so that a pair split between two reads still becomes a line feed.
        int held = 0;
        if (reader->decoder.carriageReturnHeld) {
            buffer[0] = CarriageReturn;
            held = 1;
        }
        int got = reader->read(reader->handle, buffer + held, capacity - held);
        if (got <= 0) {
            reader->rawEnded = true;
            if (got < 0) reader->error = errno != 0 ? errno : EIO;
            if (held > 0) return held;
            break;
        }
        size_t size = decodeTextBlock(&reader->decoder, buffer, static_cast<size_t>(held + got));
        if (size > 0) return static_cast<int>(size);
    }
    return reader->error != 0 ? -1 : 0;
}

namespace {

// Where line feeds are expanded, the bytes go out in pieces of this size,
// each at most twice as long once expanded.
const size_t ExpandPiece = 64 * 1024;
unsigned char expanded[2 * ExpandPiece];

} // namespace

int writeText(TextWriter *writer, const void *bytes, size_t count) {
    const unsigned char *next = static_cast<const unsigned char *>(bytes);
    while (writer->error == 0 && count > 0) {
        size_t piece = count;
        const unsigned char *out = next;
        size_t length = piece;
        if (PlatformTextStreams) {
            if (piece > ExpandPiece) piece = ExpandPiece;
            length = expandLineFeeds(next, piece, expanded);
            out = expanded;
        }
        if (writeDescriptor(writer->fd, out, length) != 0) writer->error = errno;
        next += piece;
        count -= piece;
    }
    return writer->error;
}
