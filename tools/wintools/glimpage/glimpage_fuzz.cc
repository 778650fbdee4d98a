// Fuzzer over the pager's script reader and driver in overstrike mode. The
// input's first byte picks the options, the rest is the script. Text files
// live in memory: "a" holds a fixed text with tabs, form feeds and CR LF,
// "s" the fuzz input itself, every other name cannot be opened. Nothing
// touches the real file system or console. Each input runs twice, with and
// without overstrike mode's bulk copying of ordinary bytes, and the two
// outputs must be the same.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "glimpage_output.h"
#include "glimpage_pager.h"

namespace {

struct MemoryFile {
    const unsigned char *data;
    size_t size;
    size_t position;
};

const char FixedText[] = "int main(void)\n{\n\tint x = 1;\r\n\f\treturn x;\t/* end */\n}\n\n\x1a"
                         "after\x80\xff";
const uint8_t *fuzzData;
size_t fuzzSize;
MemoryFile openFile;
bool fileOpen;
std::string output;

void writeOutput(const unsigned char *bytes, int count) {
    output.append(reinterpret_cast<const char *>(bytes), static_cast<size_t>(count));
}
void writeError(const char *) {}
int readNothing(void *, unsigned char *, int) {
    return 0;
}

void *openTextFile(const char *name) {
    if (fileOpen) __builtin_trap(); // the driver closes a file before opening the next
    if (strcmp(name, "a") == 0)
        openFile = {reinterpret_cast<const unsigned char *>(FixedText), sizeof FixedText - 1, 0};
    else if (strcmp(name, "s") == 0)
        openFile = {fuzzData, fuzzSize, 0};
    else
        return nullptr;
    fileOpen = true;
    return &openFile;
}

int readTextFile(void *handle, unsigned char *buffer, int size) {
    MemoryFile *file = static_cast<MemoryFile *>(handle);
    size_t count = file->size - file->position;
    if (count > static_cast<size_t>(size)) count = static_cast<size_t>(size);
    if (count > 5) count = 5; // odd block ends
    memcpy(buffer, file->data + file->position, count);
    file->position += count;
    return static_cast<int>(count);
}

void closeTextFile(void *) {
    fileOpen = false;
}
const PagerPlatform memoryPlatform = {
    writeOutput, writeError, readNothing, openTextFile, readTextFile, closeTextFile, nullptr,
};

// Runs the pager over the input; returns what it wrote.
std::string runOnce(const uint8_t *data, size_t size, bool bulk) {
    fuzzData = data + 1;
    fuzzSize = size - 1;
    fileOpen = false;
    output.clear();
    ordinaryRuns = bulk;
    setPagerPlatform(&memoryPlatform);
    ByteSource script;
    initMemorySource(&script, data + 1, size - 1);
    int status = runPager((data[0] & 1) == 0, &script);
    if (status != 0 || fileOpen) __builtin_trap();
    return output;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    if (runOnce(data, size, true) != runOnce(data, size, false)) __builtin_trap();
    return 0;
}
