// glimpage_stream.cc: the refill side of ByteSource.
#include "glimpage_stream.h"

#include <stdio.h>
#include <stdlib.h>

#include "sysio.h"

void initByteSource(ByteSource *source, ReadBytes read, void *handle, unsigned char *block,
                    int blockSize) {
    source->next = block;
    source->end = block;
    source->read = read;
    source->handle = handle;
    source->block = block;
    source->blockSize = blockSize;
    source->finished = false;
}

int refillByteSource(ByteSource *source) {
    // Once the end (or an error) has been seen the source stays at its end:
    // a console or pipe could deliver more, but nobody reads past an end.
    if (source->finished) return EndOfInput;
    int count = source->read(source->handle, source->block, source->blockSize);
    if (count <= 0) {
        source->finished = true;
        source->next = source->end = source->block;
        return EndOfInput;
    }
    source->next = source->block;
    source->end = source->block + count;
    return *source->next++;
}

namespace {

struct TextFile {
    FILE *file;
    TextReader text;
};

} // namespace

int readStandardInput(void *, unsigned char *buffer, int size) {
    static TextReader standardInput = {
        readDescriptorHandle, descriptorHandle(0), {false, false, !platformTextStreams}, false};
    return readText(&standardInput, buffer, size);
}

void writeStandardError(const char *text) {
    fputs(text, stderr);
}

void *openTextStream(const char *name) {
    FILE *file = openForReading(name, "r");
    if (file == nullptr) return nullptr;
    TextFile *textFile = static_cast<TextFile *>(malloc(sizeof(TextFile)));
    if (textFile == nullptr) {
        fclose(file);
        return nullptr;
    }
    textFile->file = file;
    // The text rules are applied block by block, on the bytes as they are.
    setBinaryMode(fileno(file));
    initTextReader(&textFile->text, readDescriptorHandle, descriptorHandle(fileno(file)),
                   !platformTextStreams);
    return textFile;
}

int readTextStream(void *file, unsigned char *buffer, int size) {
    return readText(&static_cast<TextFile *>(file)->text, buffer, size);
}

void closeTextStream(void *file) {
    fclose(static_cast<TextFile *>(file)->file);
    free(file);
}
