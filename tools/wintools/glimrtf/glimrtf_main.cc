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
// applied here (textstream.h): its own byte-wise text mode is far too slow
// for big listings.
#include "glimrtf_filter.h"
#include "sysio.h"
#include "textstream.h"

#include <errno.h>

namespace {

// Block sizes: large enough that the per-call cost of the system (and of
// Wine) vanishes, small enough to keep the filter's memory constant and low.
const int InputBlockSize = 256 * 1024;
const size_t OutputBlockSize = 256 * 1024;

unsigned char inputBuffer[InputBlockSize];
char outputBuffer[OutputBlockSize];

TextReader standardInput;

// The error of a failed read of standard input, 0 while reading succeeds.
int inputError = 0;

// The next block of input: its size, or 0 at the end and after a failure.
int readInput() {
    int got = readFilterInput(&standardInput, inputBuffer, InputBlockSize);
    if (got >= 0) return got;
    inputError = errno;
    return 0;
}

// The filter cannot stop, so once output has failed the rest is dropped and
// the main loop ends at the next block.
TextWriter standardOutput = {1, 0};

void flushToOutput(RtfSink *sink) {
    writeText(&standardOutput, sink->buffer, sink->used);
    sink->used = 0;
}

} // namespace

int main() {
    setBinaryMode(0);
    setBinaryMode(1);
    ignoreClosedPipes();
    initTextReader(&standardInput, readDescriptorHandle, descriptorHandle(0));
    setupCharacters(); // the locale's characters natively, the ANSI code page's on Windows
    RtfSink sink = {outputBuffer, OutputBlockSize, 0, flushToOutput, nullptr};
    RtfFilter filter;
    startRtf(&filter, &sink);
    int size;
    while (standardOutput.error == 0 && (size = readInput()) > 0)
        filterRtf(&filter, inputBuffer, static_cast<size_t>(size));
    finishRtf(&filter);
    int status = 0;
    if (inputError != 0) status = readFailureStatus("glimrtf", "standard input", inputError);
    if (standardOutput.error != 0) status = writeFailureStatus("glimrtf", standardOutput.error);
    return status;
}
