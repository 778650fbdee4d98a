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
// Both the file and standard output are text streams, with whatever line-end
// and end-of-file translation the platform's C library gives them.
#include "wideconv.h"
#include "sysio.h"

#include <inttypes.h>
#include <stdlib.h>
#include <sys/stat.h>

namespace {

// Both blocks stay allocated until the process ends; process-wide, they stay
// reachable until then (leak checkers see them as in use, as they are).
ReadBuffer readBuffer = {nullptr, 0, 0};
char *outputText = nullptr;

// The size the file-status query reports, before the file is opened. A file
// that grows afterwards is caught by the overflow check after the read.
int queryFileSize(const char *path, uint64_t *size) {
    struct stat status;
    if (stat(path, &status) != 0 || status.st_size < 0) return -1;
    *size = static_cast<uint64_t>(status.st_size);
    return 0;
}

// Converts the UTF-16LE text behind the byte-order mark: size first, then the
// conversion into a block of exactly that size.
int convertWideText(const ReadBuffer &buffer, char **text) {
    // The text runs from behind the mark to the zero unit, which terminateText
    // placed no further than the end of the data.
    const unsigned char *units = buffer.bytes + 2;
    size_t available = buffer.count;
    unsigned long error = 0;
    size_t needed = narrowSize(units, available, &error);
    if (needed == 0) {
        fprintf(stderr, "Bad buffer size: error %d\n", static_cast<int>(error));
        return wideconvBadSize;
    }
    char *out = static_cast<char *>(malloc(needed));
    if (out == nullptr) {
        fprintf(stderr, "Can't malloc output buffer %" PRIu64 "\n", static_cast<uint64_t>(needed));
        return wideconvNoOutputBlock;
    }
    *text = out; // reachable until the process ends, even after a failure
    if (convertToNarrow(units, available, out, needed, &error) == 0) {
        fprintf(stderr, "Bad character conversion: error %d\n", static_cast<int>(error));
        return wideconvBadConversion;
    }
    return wideconvOk;
}

int makeOutputText(const ReadBuffer &buffer, char **text) {
    if (hasByteOrderMark(buffer)) return convertWideText(buffer, text);
    size_t size = 0;
    *text = copyByteText(buffer, &size);
    if (*text == nullptr) {
        fprintf(stderr, "Can't malloc output buffer %" PRIu64 "\n", static_cast<uint64_t>(size));
        return wideconvNoOutputBlock;
    }
    return wideconvOk;
}

} // namespace

// Nothing is released: the process ends right after.
int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "Usage: wideconv fileName\n");
        return wideconvUsage;
    }
    const char *path = argv[1];
    prepareNarrowCharset();

    uint64_t fileSize = 0;
    if (queryFileSize(path, &fileSize) != 0) {
        fprintf(stderr, "Can't find the file: %s\n", path);
        return wideconvNoFile;
    }
    ReadBuffer &buffer = readBuffer;
    buffer.size = readBufferSize(fileSize);
    if (buffer.size != 0) buffer.bytes = static_cast<unsigned char *>(malloc(buffer.size));
    if (buffer.bytes == nullptr) {
        // The numbers are printed in full width: a native file can exceed int.
        fprintf(stderr, "Can't malloc converion buffer %" PRIu64 "\n", fileSize);
        return wideconvNoReadBuffer;
    }
    // A text stream: a CR LF pair is read as LF and Ctrl-Z ends the data.
    FILE *file = openForReading(path, "r");
    if (file == nullptr) {
        fprintf(stderr, "Can't open %s\n", path);
        return wideconvCantOpen;
    }

    // Asking for the whole block, two bytes more than the file held, is what
    // reveals a file that grew since its size was taken.
    buffer.count = fread(buffer.bytes, 1, buffer.size, file);
    if (buffer.count > fileSize) {
        fprintf(stderr, "Buffer overflow %" PRIu64 " %" PRIu64 "\n",
                static_cast<uint64_t>(buffer.count), static_cast<uint64_t>(buffer.size));
        return wideconvOverflow;
    }
    // A failed read would otherwise pass as a short file and exit 0.
    if (ferror(file)) {
        fprintf(stderr, "Can't read %s\n", path);
        return wideconvReadError;
    }
    terminateText(&buffer);

    int status = makeOutputText(buffer, &outputText);
    if (status != wideconvOk) return status;

    // A full disk or a closed device must not end in a silent exit 0.
    if (printf("%s", outputText) < 0 || fflush(stdout) != 0) {
        fprintf(stderr, "Can't write the output\n");
        return wideconvWriteError;
    }
    return wideconvOk;
}
