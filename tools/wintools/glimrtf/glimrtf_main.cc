// glimrtf: turns overstruck text into a Rich Text Format document.
//
//     glimrtf < listing.txt > listing.rtf
//
// Reads overstruck text (what glimpage writes when its output is not a
// console: a highlighted character as underscore, backspace, character) on
// standard input and writes one RTF document on standard output: every line a
// paragraph in 10-point Courier New, overstruck characters bold italic, the
// rest of a line after a form feed bold. Arguments are ignored. Exit status
// 0, or 1 when reading or writing fails: one line on standard error says why,
// except for a pipe whose reader has gone. A failed read ends the input there
// and the document is closed, so that what was written is still a valid
// document, only a short one. On Windows both streams are text streams,
// read and written in large binary blocks with the runtime's text-mode rules
// applied by the shared filter program (blockfilter.h): the runtime's own
// byte-wise text mode is far too slow for big listings.
#include "blockfilter.h"
#include "glimrtf_filter.h"

int main() {
    BlockSink *output = startFilterProgram(true);
    RtfFilter filter;
    startRtf(&filter, output);
    BlockFilter steps = {
        &filter,
        [](void *state, const unsigned char *data, size_t size) {
            filterRtf(static_cast<RtfFilter *>(state), data, size);
        },
        [](void *state) { finishRtf(static_cast<RtfFilter *>(state)); },
    };
    return runFilterProgram("glimrtf", steps);
}
