// wideconv: prints one text file on standard output in the system's narrow
// character set (the ANSI code page on Windows, the locale's codeset
// elsewhere). A file that starts with the UTF-16LE byte-order mark FF FE is
// converted from UTF-16LE first, without the mark; any other file is printed as
// the bytes it holds, up to its first zero byte.
//
//     wideconv fileName
//
// Exit status 0 on success; each failure has its own status and one message on
// standard error, and prints nothing on standard output (see WideconvStatus).
// A pipe whose reader has gone ends the program quietly, with status 1.
// Standard output and a byte file are text streams, with whatever line-end and
// end-of-file translation the platform's C library gives them. UTF-16 text is
// read as bytes and follows the same rules in whole code units (see
// prepareWideText), so that no byte inside a character is taken for a line end
// or the end of the text.
#include "sysio.h"
#include "textstream.h"
#include "wideconv_system.h"
#include "wideconv_text.h"

#include <errno.h>
#include <inttypes.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Exit statuses, one per kind of failure. 5 is not used. 9 to 11 are failures
// the program checks beyond the historical set; a pipe whose reader has gone
// ends the program quietly with 1, as it does the other tools.
enum WideconvStatus {
    WideconvOk = 0,
    WideconvUsage = 1,
    WideconvReaderGone = 1,
    WideconvNoFile = 2,
    WideconvNoReadBuffer = 3,
    WideconvCantOpen = 4,
    WideconvOverflow = 6,
    WideconvBadSize = 7,
    WideconvBadConversion = 8,
    WideconvNoOutputBlock = 9,
    WideconvReadError = 10,
    WideconvWriteError = 11,
};

// Both blocks stay allocated until the process ends; process-wide, they stay
// reachable until then (leak checkers see them as in use, as they are).
ReadBuffer readBuffer = {nullptr, 0, 0};
char *outputText = nullptr;

// Reads from the descriptor until the block holds limit bytes or the file
// ends: 1 at the end, 0 at the limit, -1 on a read error.
int readUpTo(int fd, ReadBuffer *buffer, size_t limit) {
    while (buffer->count < limit) {
        size_t wanted = limit - buffer->count;
        int got = readDescriptor(fd, buffer->bytes + buffer->count,
                                 wanted > INT_MAX ? INT_MAX : static_cast<int>(wanted));
        if (got < 0) return -1;
        if (got == 0) return 1;
        buffer->count += static_cast<size_t>(got);
    }
    return 0;
}

// Reads the whole block (two bytes more than the file held, which reveals a
// file that grew since its size was taken). The file is opened as a text
// stream, and byte text is read through it; the byte-order mark, which no
// text-stream rule changes, switches the rest to binary. The descriptor is
// read directly: the stream's buffer would already hold text-mode bytes.
int readFileBytes(FILE *file, ReadBuffer *buffer) {
    int fd = fileno(file);
    int result = readUpTo(fd, buffer, 2);
    if (result != 0) return result;
    if (hasByteOrderMark(*buffer)) setBinaryMode(fd);
    return readUpTo(fd, buffer, buffer->size);
}

// Converts the UTF-16LE text behind the byte-order mark: size first, then the
// conversion into a block of exactly that size.
int convertWideText(ReadBuffer *buffer, char **text) {
    size_t length = prepareWideText(buffer, PlatformTextStreams);
    const unsigned char *units = buffer->bytes + 2;
    unsigned long error = 0;
    size_t needed = narrowSize(units, length, &error);
    if (needed == 0) {
        fprintf(stderr, "Bad buffer size: error %d\n", static_cast<int>(error));
        return WideconvBadSize;
    }
    char *out = static_cast<char *>(malloc(needed));
    if (out == nullptr) {
        fprintf(stderr, "Can't malloc output buffer %" PRIu64 "\n", static_cast<uint64_t>(needed));
        return WideconvNoOutputBlock;
    }
    *text = out; // reachable until the process ends, even after a failure
    if (convertToNarrow(units, length, out, needed, &error) == 0) {
        fprintf(stderr, "Bad character conversion: error %d\n", static_cast<int>(error));
        return WideconvBadConversion;
    }
    return WideconvOk;
}

int makeOutputText(ReadBuffer *buffer, char **text) {
    if (hasByteOrderMark(*buffer)) return convertWideText(buffer, text);
    size_t size = 0;
    *text = copyByteText(*buffer, &size);
    if (*text == nullptr) {
        fprintf(stderr, "Can't malloc output buffer %" PRIu64 "\n", static_cast<uint64_t>(size));
        return WideconvNoOutputBlock;
    }
    return WideconvOk;
}

// Prints the text as "%s" would, through the descriptor: the Windows runtime
// leaves stdio unbuffered on a character device, where a refused write then
// passes as success, and would go on failing through the whole text. In text
// mode the descriptor still writes LF as CR LF.
int writeOutputText(const char *text) {
    if (writeDescriptor(fileno(stdout), text, strlen(text)) == 0) return WideconvOk;
    // The reader of a pipe has gone: it has what it wanted, no one to tell.
    if (isClosedPipe(errno)) return WideconvReaderGone;
    fprintf(stderr, "Can't write the output\n");
    return WideconvWriteError;
}

} // namespace

// Nothing is released: the process ends right after.
int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "Usage: wideconv fileName\n");
        return WideconvUsage;
    }
    const char *path = argv[1];
    prepareNarrowCharset();
    ignoreClosedPipes();

    // The size before the file is opened. A file that grows afterwards is
    // caught by the overflow check after the read.
    uint64_t fileSize = 0;
    if (queryFileSize(path, &fileSize) != 0) {
        fprintf(stderr, "Can't find the file: %s\n", path);
        return WideconvNoFile;
    }
    ReadBuffer &buffer = readBuffer;
    buffer.size = readBufferSize(fileSize);
    if (buffer.size != 0) buffer.bytes = static_cast<unsigned char *>(malloc(buffer.size));
    if (buffer.bytes == nullptr) {
        // The numbers are printed in full width: a file can exceed int.
        fprintf(stderr, "Can't malloc converion buffer %" PRIu64 "\n", fileSize);
        return WideconvNoReadBuffer;
    }
    // A text stream: a CR LF pair is read as LF and Ctrl-Z ends the data
    // (UTF-16 text is read in binary, see readFileBytes).
    FILE *file = openForReading(path, "r");
    if (file == nullptr) {
        fprintf(stderr, "Can't open %s\n", path);
        return WideconvCantOpen;
    }

    int readResult = readFileBytes(file, &buffer);
    if (buffer.count > fileSize) {
        fprintf(stderr, "Buffer overflow %" PRIu64 " %" PRIu64 "\n",
                static_cast<uint64_t>(buffer.count), static_cast<uint64_t>(buffer.size));
        return WideconvOverflow;
    }
    // A failed read would otherwise pass as a short file and exit 0.
    if (readResult < 0) {
        fprintf(stderr, "Can't read %s\n", path);
        return WideconvReadError;
    }
    terminateText(&buffer);

    int status = makeOutputText(&buffer, &outputText);
    if (status != WideconvOk) return status;

    return writeOutputText(outputText);
}
