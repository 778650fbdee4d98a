// Fuzzer of the text streams. Decoding input cut into pieces of any size, into
// buffers of any capacity, gives what the rules give byte by byte, each call
// what its first read gave (unless a lone CR), and a failed read after the text.
// Expanding gives CR LF for each LF. Bytes 0 and 1 pick the options and pieces.
#include "textstream.h"

#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Pieces {
    const uint8_t *data;
    size_t size, at;
    uint32_t seed;
    bool failing; // the input ends in a failed read
    int reads, loneCarriageReturns;
};

int nextSize(uint32_t *seed, int limit) {
    *seed = *seed * 1103515245u + 12345u;
    return 1 + static_cast<int>((*seed >> 16) % static_cast<uint32_t>(limit));
}

int readPiece(void *handle, unsigned char *buffer, int capacity) {
    Pieces *p = static_cast<Pieces *>(handle);
    p->reads++;
    if (p->at == p->size) return p->failing ? (errno = EIO, -1) : 0;
    size_t count = std::min({static_cast<size_t>(nextSize(&p->seed, 9)), p->size - p->at,
                             static_cast<size_t>(capacity)});
    memcpy(buffer, p->data + p->at, count);
    p->at += count;
    p->loneCarriageReturns += count == 1 && buffer[0] == '\r';
    return static_cast<int>(count);
}

// A carriage return right before a line feed goes; Ctrl+Z ends unless it is data.
std::string decoded(const uint8_t *data, size_t size, bool controlZIsData) {
    std::string text;
    for (size_t i = 0; i < size && (controlZIsData || data[i] != 0x1A); i++)
        if (data[i] != '\r' || i + 1 == size || data[i + 1] != '\n') text += data[i];
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    bool controlZIsData = data[0] & 1, failing = data[0] & 2;
    Pieces pieces = {data + 2, size - 2, 0, data[1], failing, 0, 0};
    TextReader reader;
    initTextReader(&reader, readPiece, &pieces, controlZIsData);
    std::string text;
    unsigned char buffer[32];
    uint32_t seed = data[1];
    int got;
    for (; pieces.reads = pieces.loneCarriageReturns = 0,
           (got = readText(&reader, buffer, 1 + nextSize(&seed, 31))) > 0;) {
        if (pieces.reads > 1 + pieces.loneCarriageReturns) abort();
        text.append(reinterpret_cast<char *>(buffer), static_cast<size_t>(got));
    }
    bool ctrlZEnded = !controlZIsData && memchr(data + 2, 0x1A, size - 2) != nullptr;
    int end = failing && !ctrlZEnded ? -1 : 0;
    if (text != decoded(data + 2, size - 2, controlZIsData) || got != end ||
        readText(&reader, buffer, 2) != end || (end < 0 && reader.error != EIO))
        abort();

    std::vector<unsigned char> expanded(2 * size);
    std::string lines;
    for (size_t i = 0; i < size; i++)
        lines += data[i] == '\n' ? std::string("\r\n") : std::string(1, data[i]);
    size_t length = expandLineFeeds(data, size, expanded.data());
    if (std::string(expanded.begin(), expanded.begin() + length) != lines) abort();
    return 0;
}
