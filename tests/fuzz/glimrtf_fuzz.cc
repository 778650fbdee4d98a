// Fuzzer of glimrtf's filter. Besides memory safety it checks what any input
// must give: the same document however the input is cut into blocks, the
// header in front, one of the two endings, and braces that balance outside
// escapes (every brace of the input is escaped), line feeds written for a
// text stream, and the text-stream decoding against a byte-wise model.
#include "glimrtf.h"
#include "glimrtf_textmode.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

struct Collected {
    std::string text;
    char buffer[rtfSinkMinimum + 7];
};

void collect(RtfSink *sink) {
    Collected *owner = static_cast<Collected *>(sink->context);
    owner->text.append(sink->buffer, sink->used);
    sink->used = 0;
}

std::string convert(const uint8_t *data, size_t size, size_t block, bool textStream = false) {
    Collected out;
    RtfSink sink = {out.buffer, sizeof out.buffer, 0, collect, &out};
    RtfFilter filter;
    startRtf(&filter, &sink, textStream);
    for (size_t at = 0; at < size; at += block) {
        filterRtf(&filter, data + at, size - at < block ? size - at : block);
    }
    finishRtf(&filter);
    return out.text;
}

bool endsWith(const std::string &s, const std::string &tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Checks that braces balance, skipping escaped characters. Overstruck or
// plain, an input brace is always escaped, so only the header's and the
// ending's braces count.
bool bracesBalance(const std::string &s) {
    long depth = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\') {
            ++i;
        } else if (s[i] == '{') {
            ++depth;
        } else if (s[i] == '}') {
            if (--depth < 0) return false;
        }
    }
    return depth == 0;
}

// The C runtime's text-mode reading, a byte at a time: CR LF is LF, Ctrl-Z
// ends, any other byte (a lone CR included) stays.
std::string referenceDecode(const uint8_t *data, size_t size) {
    std::string out;
    for (size_t i = 0; i < size && data[i] != 0x1A; ++i) {
        if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') continue;
        out += static_cast<char>(data[i]);
    }
    return out;
}

// Decoding in one block, with a held carriage return delivered at the end.
void checkTextDecoding(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    TextReadState state = {false, false};
    text.resize(decodeTextBlock(&state, reinterpret_cast<unsigned char *>(&text[0]), size));
    if (state.carriageReturnHeld) text += '\r';
    if (text != referenceDecode(data, size)) abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string document = convert(data, size, size == 0 ? 1 : size);
    if (document.compare(0, 16, "{\\rtf1\\ansi\\deff") != 0) abort();
    bool early = endsWith(document, "\n\\par }\n");
    bool complete = endsWith(document, std::string("\\par }\n") + '\0');
    if (early == complete) abort();
    if (!bracesBalance(complete ? document.substr(0, document.size() - 1) : document)) abort();
    size_t block = size > 0 ? 1 + data[0] % 13 : 1;
    if (convert(data, size, block) != document) abort();
    checkTextDecoding(data, size);
    // Written for a text stream, every line feed gains a carriage return.
    std::string expected;
    for (char c : document) {
        if (c == '\n') expected += '\r';
        expected += c;
    }
    if (convert(data, size, block, true) != expected) abort();
    return 0;
}
