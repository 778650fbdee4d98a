// Fuzzer of wideconv's read buffer, in a block of exactly the file's size + 2
// as the program has it. Behind the byte-order mark the UTF-16 text kept is
// what the rules give unit by unit: whole units up to the first zero unit
// (or, with text streams, U+001A), and with text streams each CR unit right
// before an LF unit dropped; a zero unit follows it. Other files are copied up
// to their first zero byte. The first byte picks text streams; the rest is
// the file.
#include "wideconv.h"

#include <stdlib.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    bool textStreams = data[0] & 1;
    const uint8_t *file = data + 1;
    size_t count = size - 1;
    ReadBuffer buffer = {static_cast<unsigned char *>(malloc(count + 2)), count + 2, count};
    memcpy(buffer.bytes, file, count);
    terminateText(&buffer);
    std::u16string units;
    if (count >= 2 && file[0] == 0xFF && file[1] == 0xFE) {
        for (size_t i = 2; i + 1 < count; i += 2) {
            char16_t unit = static_cast<char16_t>(file[i] | file[i + 1] << 8);
            if (unit == 0 || (textStreams && unit == 0x1A)) break;
            units += unit;
        }
        for (size_t at = 0; textStreams && (at = units.find(u"\r\n", at)) != units.npos;)
            units.erase(at, 1);
        size_t length = prepareWideText(&buffer, textStreams);
        if (length != 2 * units.size()) abort();
        for (size_t i = 0; i <= units.size(); i++)
            if (codeUnitAt(buffer.bytes + 2, i) != (i < units.size() ? units[i] : 0)) abort();
    } else {
        size_t blockSize = 0;
        char *text = copyByteText(buffer, &blockSize);
        std::string expected(reinterpret_cast<const char *>(file), count);
        if (text == nullptr ||
            std::string(text, blockSize) != expected.c_str() + std::string(1, '\0'))
            abort();
        free(text);
    }
    free(buffer.bytes);
    return 0;
}
