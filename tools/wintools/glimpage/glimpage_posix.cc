// glimpage_posix.cc: the pager's system layer for native builds. Its console
// is the terminal (glimpage_terminal.cc); output to anything else is
// overstruck text, written as it is (no text-mode translation). The script
// and the text files are read as the Windows build reads them, so that files
// written on Windows work: a carriage return before a line feed is dropped.
// Ctrl+Z, which ends a text stream on Windows, is an ordinary byte here.
#include <errno.h>
#include <stdio.h>
#include <unistd.h>

#include "glimpage_platform.h"
#include "glimpage_stream.h"
#include "glimpage_terminal.h"
#include "sysio.h"

namespace {

int writeOutput(const unsigned char *bytes, int count) {
    return writeDescriptor(STDOUT_FILENO, bytes, static_cast<size_t>(count)) == 0 ? 0 : errno;
}

} // namespace

const PagerPlatform *systemPlatform() {
    static const PagerPlatform table = {
        writeOutput,    writeStandardError, readStandardInput, openTextStream,
        readTextStream, closeTextStream,    &terminalConsole,
    };
    return &table;
}
