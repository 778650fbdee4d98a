// glimrtf_win32.cc: glimrtf's standard streams on Windows. Both are text
// streams, but read and written in large binary blocks: the C runtime's
// byte-wise text mode is far too slow for big listings, so the translation it
// would do on reading is done here (see glimrtf_textmode.h), and the filter
// writes its line ends as carriage return and line feed itself.
#include "glimrtf_stream.h"
#include "glimrtf_textmode.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

namespace {

TextReadState readState;
bool inputEnded;
bool outputFailed;

} // namespace

void openStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

size_t readInput(unsigned char *buffer, size_t capacity) {
    while (!inputEnded) {
        // A carriage return held back from the previous block goes in front,
        // so that a pair split between two reads still becomes a line feed.
        size_t held = 0;
        if (readState.carriageReturnHeld) {
            buffer[0] = '\r';
            held = 1;
        }
        int got = _read(0, buffer + held, static_cast<unsigned>(capacity - held));
        if (got <= 0) {
            inputEnded = true;
            return held;
        }
        size_t size = decodeTextBlock(&readState, buffer, held + static_cast<size_t>(got));
        if (readState.ended) inputEnded = true;
        if (size > 0) return size;
    }
    return 0;
}

bool outputIsTextStream() {
    return true;
}

void writeOutput(const char *data, size_t size) {
    while (size > 0 && !outputFailed) {
        int done = _write(1, data, static_cast<unsigned>(size));
        if (done <= 0) {
            outputFailed = true;
            return;
        }
        data += done;
        size -= static_cast<size_t>(done);
    }
}
