// blockfilter.cc: the program around a filter of overstruck text.
#include "blockfilter.h"

#include <errno.h>
#include <string.h>

#include "characters.h"
#include "sysio.h"
#include "textstream.h"

namespace {

const int InputBlockSize = 256 * 1024;
const size_t OutputBlockSize = 256 * 1024;

unsigned char inputBuffer[InputBlockSize];
char outputBuffer[OutputBlockSize];

TextReader standardInput;
int inputError; // errno of the failed read, 0 while none failed

TextWriter standardOutput = {1, 0};
bool textOutput;

void flushToOutput(BlockSink *sink) {
    if (textOutput)
        writeText(&standardOutput, sink->buffer, sink->used);
    else if (standardOutput.error == 0 && writeDescriptor(1, sink->buffer, sink->used) != 0)
        standardOutput.error = errno;
    sink->used = 0;
}

BlockSink standardSink = {outputBuffer, OutputBlockSize, 0, flushToOutput, nullptr};

// The next block of input: its size, or 0 at the end and after a failure.
int readInput() {
    int got = PlatformTextStreams ? readText(&standardInput, inputBuffer, InputBlockSize)
                                  : readDescriptor(0, inputBuffer, InputBlockSize);
    if (got >= 0) return got;
    inputError = PlatformTextStreams ? standardInput.error : errno;
    return 0;
}

} // namespace

void putToSink(BlockSink *sink, const char *text, size_t size) {
    while (size > 0) {
        if (sink->used == sink->capacity) sink->flush(sink);
        size_t piece = sink->capacity - sink->used;
        if (piece > size) piece = size;
        memcpy(sink->buffer + sink->used, text, piece);
        sink->used += piece;
        text += piece;
        size -= piece;
    }
}

BlockSink *startFilterProgram(bool text) {
    setBinaryMode(0);
    setBinaryMode(1);
    ignoreClosedPipes();
    setupCharacters();
    initTextReader(&standardInput, readDescriptorHandle, descriptorHandle(0));
    textOutput = text;
    return &standardSink;
}

int runFilterProgram(const char *program, const BlockFilter &filter) {
    int size;
    while (standardOutput.error == 0 && (size = readInput()) > 0)
        filter.convert(filter.state, inputBuffer, static_cast<size_t>(size));
    filter.finish(filter.state);
    int status = 0;
    if (inputError != 0) status = readFailureStatus(program, "standard input", inputError);
    if (standardOutput.error != 0) status = writeFailureStatus(program, standardOutput.error);
    return status;
}
