// Fuzzer of glimrtf's filter. Besides memory safety it checks what any input
// must give: the same document however input and output are cut into blocks,
// the header, its one ending, braces balanced outside escapes, and the
// text-stream reading in blocks equal to a byte-wise model of the C runtime's.
#include "glimrtf.h"
#include "textstream.h"

#include <stdint.h>
#include <stdlib.h>

#include <string>

namespace {

void collect(RtfSink *sink) {
    static_cast<std::string *>(sink->context)->append(sink->buffer, sink->used);
    sink->used = 0;
}

std::string convert(const uint8_t *data, size_t size, size_t block, size_t capacity) {
    std::string text;
    char buffer[rtfSinkMinimum + 64];
    RtfSink sink = {buffer, capacity, 0, collect, &text};
    RtfFilter filter;
    startRtf(&filter, &sink);
    for (size_t at = 0; at < size; at += block)
        filterRtf(&filter, data + at, size - at < block ? size - at : block);
    finishRtf(&filter);
    return text;
}

bool endsWith(const std::string &s, const std::string &tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool bracesBalance(const std::string &s) {
    long depth = 0;
    for (size_t i = 0; i < s.size() && depth >= 0; ++i) {
        if (s[i] == '\\')
            ++i;
        else if (s[i] == '{')
            ++depth;
        else if (s[i] == '}')
            --depth;
    }
    return depth == 0;
}

// As the Windows reader does: a held carriage return goes in front of the
// next block, or alone at the end. Blocks after a Ctrl-Z must give nothing.
std::string decodeInBlocks(const uint8_t *data, size_t size, size_t block) {
    TextDecoder state = {false, false};
    std::string out;
    for (size_t at = 0; at < size; at += block) {
        std::string piece = state.carriageReturnHeld ? "\r" : "";
        piece.append(reinterpret_cast<const char *>(data + at),
                     size - at < block ? size - at : block);
        unsigned char *bytes = reinterpret_cast<unsigned char *>(&piece[0]);
        out.append(piece.data(), decodeTextBlock(&state, bytes, piece.size()));
    }
    return state.carriageReturnHeld ? out + '\r' : out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string document = convert(data, size, size == 0 ? 1 : size, rtfSinkMinimum + 63);
    if (document.compare(0, 16, "{\\rtf1\\ansi\\deff") != 0) abort();
    if (!endsWith(document, std::string("\\par }\n") + '\0')) abort();
    if (!bracesBalance(document.substr(0, document.size() - 1))) abort();

    size_t block = size > 0 ? 1 + data[0] % 13 : 1;
    size_t capacity = rtfSinkMinimum + (size > 0 ? data[size - 1] % 64 : 0);
    if (convert(data, size, block, capacity) != document) abort();
    std::string decoded;

    // Byte at a time: CR LF is LF, Ctrl-Z ends, any other byte (a lone CR too) stays.
    for (size_t i = 0; i < size && data[i] != 0x1A; ++i)
        if (data[i] != '\r' || i + 1 == size || data[i + 1] != '\n') decoded += char(data[i]);
    if (decodeInBlocks(data, size, block) != decoded) abort();
    return 0;
}
