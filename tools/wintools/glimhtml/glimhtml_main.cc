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
// with the runtime's text-mode rules applied by the shared filter program
// (blockfilter.h), as glimrtf reads it; natively it is bytes, and the filter leaves out a carriage
// return before a line feed on both. The page is written as bytes, so both builds write the same
// page.
#include "blockfilter.h"
#include "glimhtml_filter.h"

#include <stdio.h>

int main(int argc, char **argv) {
    const char *title = "listing";
    if (parseHtmlOptions(argc, argv, &title) != 0) {
        fputs("usage: glimhtml [-t title] < overstruck > page.html\n", stderr);
        return 1;
    }
    // Written as bytes on every platform, so that both builds write the same page.
    BlockSink *output = startFilterProgram(false);
    HtmlFilter filter;
    startHtml(&filter, output, title);
    BlockFilter steps = {
        &filter,
        [](void *state, const unsigned char *data, size_t size) {
            filterHtml(static_cast<HtmlFilter *>(state), data, size);
        },
        [](void *state) { finishHtml(static_cast<HtmlFilter *>(state)); },
    };
    return runFilterProgram("glimhtml", steps);
}
