// glimpage_system.cc: standard streams and text files for the pager, alike on
// both platforms. The descriptors are in binary mode and the text-stream rules
// are applied here, block by block (textstream.h): on Windows a carriage
// return before a line feed is dropped on reading, Ctrl+Z ends a text input
// and a line feed is written as CR LF. Natively the script and the text files
// are read by the same rules, so that files written on Windows work; Ctrl+Z
// is an ordinary byte there and output is written as it is.
#include "glimpage_system.h"

#include <stdio.h>
#include <stdlib.h>

#include "sysio.h"

namespace {

// Constant-initialised, as every object here: a guarded initialisation would
// pull the C++ runtime's support into the Windows program.
TextWriter standardOutput = {1, 0};

int readStandardInputBytes(void *, unsigned char *buffer, int size) {
    return readDescriptor(0, buffer, size);
}

TextReader standardInput = {
    readStandardInputBytes, nullptr, {false, false, !PlatformTextStreams}, false};

int writeOutput(const unsigned char *bytes, int count) {
    return writeText(&standardOutput, bytes, static_cast<size_t>(count));
}

const char *programName;

void reportReadFailure(const char *name, int error) {
    readFailureStatus(programName, name, error);
}

void writeStandardError(const char *text) {
    fputs(text, stderr);
}

int readStandardInput(void *, unsigned char *buffer, int size) {
    return readText(&standardInput, buffer, size);
}

struct TextFile {
    FILE *file;
    TextReader text;
};

void *openTextFile(const char *name) {
    FILE *file = openForReading(name, "r");
    if (file == nullptr) return nullptr;
    TextFile *textFile = static_cast<TextFile *>(malloc(sizeof(TextFile)));
    if (textFile == nullptr) {
        fclose(file);
        return nullptr;
    }
    textFile->file = file;
    setBinaryMode(fileno(file));
    initTextReader(&textFile->text, readDescriptorHandle, descriptorHandle(fileno(file)),
                   !PlatformTextStreams);
    return textFile;
}

int readTextFile(void *file, unsigned char *buffer, int size) {
    return readText(&static_cast<TextFile *>(file)->text, buffer, size);
}

void closeTextFile(void *file) {
    fclose(static_cast<TextFile *>(file)->file);
    free(file);
}

PagerPlatform systemTable = {
    writeOutput,  writeStandardError, reportReadFailure, readStandardInput,
    openTextFile, readTextFile,       closeTextFile,     nullptr,
};

} // namespace

const PagerPlatform *systemPlatform(const char *program) {
    programName = program;
    systemTable.screen = systemScreen();
    return &systemTable;
}
