// glimrtf_posix.cc: glimrtf's standard streams outside Windows, where bytes
// pass as they are.
#include "glimrtf_stream.h"

#include <errno.h>
#include <signal.h>
#include <unistd.h>

namespace {
bool inputEnded;
bool outputFailed;
} // namespace

void openStreams() {
    // A closed pipe must not kill the filter: write failures are ignored and
    // the exit status stays 0.
    signal(SIGPIPE, SIG_IGN);
}

size_t readInput(unsigned char *buffer, size_t capacity) {
    while (!inputEnded) {
        ssize_t got = read(0, buffer, capacity);
        if (got > 0) return static_cast<size_t>(got);
        if (got < 0 && errno == EINTR) continue;
        inputEnded = true;
    }
    return 0;
}

bool outputIsTextStream() {
    return false;
}

void writeOutput(const char *data, size_t size) {
    while (size > 0 && !outputFailed) {
        ssize_t done = write(1, data, size);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            outputFailed = true;
            return;
        }
        data += done;
        size -= static_cast<size_t>(done);
    }
}
