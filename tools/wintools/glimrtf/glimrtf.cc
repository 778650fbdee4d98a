// glimrtf: turns overstruck text into a Rich Text Format document.
//
//     glimrtf < listing.txt > listing.rtf
//
// Reads overstruck text (what glimpage writes when its output is not a
// console: a highlighted character as underscore, backspace, character) on
// standard input and writes one RTF document on standard output: every line a
// paragraph in 10-point Courier New, overstruck characters bold italic, the
// rest of a line after a form feed bold. Arguments are ignored; the exit
// status is always 0. On Windows both streams are text streams.
#include "glimrtf.h"
#include "glimrtf_stream.h"

namespace {

// Block sizes: large enough that the per-call cost of the system (and of
// Wine) vanishes, small enough to keep the filter's memory constant and low.
const size_t inputBlock = 256 * 1024;
const size_t outputBlock = 256 * 1024;

unsigned char inputBuffer[inputBlock];
char outputBuffer[outputBlock];

void flushToOutput(RtfSink *sink) {
    writeOutput(sink->buffer, sink->used);
    sink->used = 0;
}

} // namespace

int main() {
    openStreams();
    RtfSink sink = {outputBuffer, outputBlock, 0, flushToOutput, nullptr};
    RtfFilter filter;
    startRtf(&filter, &sink, outputIsTextStream());
    size_t size;
    while ((size = readInput(inputBuffer, inputBlock)) > 0)
        filterRtf(&filter, inputBuffer, size);
    finishRtf(&filter);
    return 0;
}
