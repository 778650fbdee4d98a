// Fuzzer of wideconv's UTF-16 text rules in a read buffer of exactly the file's
// size + 2: behind the mark, whole units up to a zero unit (or with text streams
// U+001A), with text streams each CR unit before an LF unit dropped, then a
// zero unit. The first byte picks text streams; the rest is the file.
#include "wideconv_text.h"

#include <stdlib.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 3 || data[1] != 0xFF || data[2] != 0xFE) return 0;
    bool textStreams = data[0] & 1;
    std::u16string units;
    for (size_t i = 3; i + 1 < size; i += 2) {
        char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == 0 || (textStreams && unit == 0x1A)) break;
        units += unit;
    }
    for (size_t at = 0; textStreams && (at = units.find(u"\r\n", at)) != units.npos;)
        units.erase(at, 1);
    ReadBuffer buffer = {static_cast<unsigned char *>(malloc(size + 1)), size + 1, size - 1};
    memcpy(buffer.bytes, data + 1, size - 1);
    terminateText(&buffer);
    if (prepareWideText(&buffer, textStreams) != 2 * units.size()) abort();
    for (size_t i = 0; i <= units.size(); i++)
        if (codeUnitAt(buffer.bytes + 2, i) != (i < units.size() ? units[i] : 0)) abort();
    free(buffer.bytes);
    return 0;
}
