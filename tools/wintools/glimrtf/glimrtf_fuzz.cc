// Fuzzer of glimrtf's filter: besides memory safety, any input gives the same
// document however input and output are cut into blocks (also inside marks
// and characters, in C.UTF-8 or C), and it ends as every document does.
#include "glimrtf_filter.h"

#include <stdint.h>
#include <stdlib.h>

#include <string>

namespace {

void collect(BlockSink *sink) {
    static_cast<std::string *>(sink->context)->append(sink->buffer, sink->used);
    sink->used = 0;
}

std::string convert(const uint8_t *data, size_t size, size_t block, size_t capacity) {
    std::string text;
    char buffer[RtfSinkMinimum + 64];
    BlockSink sink = {buffer, capacity, 0, collect, &text};
    RtfFilter filter;
    startRtf(&filter, &sink);
    for (size_t at = 0; at < size; at += block)
        filterRtf(&filter, data + at, size - at < block ? size - at : block);
    finishRtf(&filter);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    setupCharacters(size > 0 && data[0] % 2 == 1 ? "C.UTF-8" : "C");
    std::string document = convert(data, size, size + 1, RtfSinkMinimum + 63);
    const std::string end = std::string("\\par }\n") + '\0';
    if (document.compare(document.size() - end.size(), end.size(), end) != 0) abort();
    size_t block = size > 0 ? 1 + data[0] % 13 : 1;
    size_t capacity = RtfSinkMinimum + (size > 0 ? data[size - 1] % 64 : 0);
    if (convert(data, size, block, capacity) != document) abort();
    return 0;
}
