// glimhtml: turns overstruck text into a web page.
//
//     glimhtml [-t title] < listing.txt > listing.html
//
// Reads overstruck text (what glimpage writes when its output is not a
// console: a highlighted character as underscore, backspace, character) on
// standard input and writes one self-contained HTML5 page in UTF-8 on
// standard output: the listing in preformatted text, overstruck characters
// bold italic, the rest of a line after a form feed bold, a form feed a new
// printed page, every line a link target (#L12). -t sets the page's title
// ("listing" without it); anything else on the command line prints the usage
// and ends with status 1. Exit status 0, or 1 when reading or writing fails:
// one line on standard error says why, except for a pipe whose reader has
// gone. A failed read ends the input there and the page is closed all the
// same.
//
// On Windows standard input is a text stream, read in large binary blocks
// with the runtime's text-mode rules applied here (textstream.h), as glimrtf
// reads it; natively it is bytes, and the filter leaves out a carriage return
// before a line feed on both. The page is written as bytes, so both builds
// write the same page.
#include "characters.h"
#include "glimhtml_filter.h"
#include "sysio.h"
#include "textstream.h"

#include <errno.h>
#include <stdio.h>

namespace {

// Large enough that the per-call cost of the system (and of Wine) vanishes,
// small enough to keep the memory constant and low.
const int InputBlockSize = 256 * 1024;
const size_t OutputBlockSize = 256 * 1024;

unsigned char inputBuffer[InputBlockSize];
char outputBuffer[OutputBlockSize];

TextReader standardInput;

// The error of the first failed read, 0 while none failed.
int inputError = 0;

// The next block of input: its size, or 0 at the end and after a failure.
int readInput() {
    int got = readFilterInput(&standardInput, inputBuffer, InputBlockSize);
    if (got >= 0) return got;
    inputError = errno;
    return 0;
}

// Written as bytes on every platform, so that both builds write the same
// page. Once output has failed the rest is dropped and the main loop ends.
int outputError = 0;

void flushToOutput(HtmlSink *sink) {
    size_t size = sink->used;
    sink->used = 0;
    if (outputError == 0 && writeDescriptor(1, sink->buffer, size) != 0) outputError = errno;
}

} // namespace

int main(int argc, char **argv) {
    const char *title = "listing";
    if (parseHtmlOptions(argc, argv, &title) != 0) {
        fputs("usage: glimhtml [-t title] < overstruck > page.html\n", stderr);
        return 1;
    }
    setBinaryMode(0);
    setBinaryMode(1);
    ignoreClosedPipes();
    setupCharacters();
    initTextReader(&standardInput, readDescriptorHandle, descriptorHandle(0));
    HtmlSink sink = {outputBuffer, OutputBlockSize, 0, flushToOutput, nullptr};
    HtmlFilter filter;
    startHtml(&filter, &sink, title);
    int size;
    while (outputError == 0 && (size = readInput()) > 0)
        filterHtml(&filter, inputBuffer, static_cast<size_t>(size));
    finishHtml(&filter);
    int status = 0;
    if (inputError != 0) status = readFailureStatus("glimhtml", "standard input", inputError);
    if (outputError != 0) status = writeFailureStatus("glimhtml", outputError);
    return status;
}
