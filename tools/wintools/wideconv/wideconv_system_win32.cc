// wideconv's Windows layer: the 64-bit file-status query, the C runtime's text
// streams, the conversion by WideCharToMultiByte to the ANSI code page.
#include "wideconv_system.h"

#include <limits.h>
#include <sys/stat.h>
#include <windows.h>

void prepareNarrowCharset() {
    // CP_ACP is the system's; nothing to choose.
}

int queryFileSize(const char *path, uint64_t *size) {
    struct _stati64 status;
    if (_stati64(path, &status) != 0 || status.st_size < 0) return -1;
    *size = static_cast<uint64_t>(status.st_size);
    return 0;
}

// No flags, no default character: characters the code page lacks come out as
// the code page's own default character.
// The system call finds the end of the text itself (input length -1): the zero
// unit behind it.
size_t narrowSize(const unsigned char *units, size_t, unsigned long *error) {
    int size = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(units), -1, nullptr, 0,
                                   nullptr, nullptr);
    if (size <= 0) {
        *error = GetLastError();
        return 0;
    }
    return static_cast<size_t>(size);
}

size_t convertToNarrow(const unsigned char *units, size_t, char *out, size_t outSize,
                       unsigned long *error) {
    int room = outSize > INT_MAX ? INT_MAX : static_cast<int>(outSize);
    int written = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(units), -1, out, room,
                                      nullptr, nullptr);
    if (written <= 0) {
        *error = GetLastError();
        return 0;
    }
    return static_cast<size_t>(written);
}
