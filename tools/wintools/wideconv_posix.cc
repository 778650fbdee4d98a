// wideconv's native layer: the conversion goes to the codeset of the user's
// locale through iconv. Characters the codeset lacks are transliterated or
// replaced by "?", as the Windows conversion replaces them by its default
// character; malformed UTF-16 (a lone surrogate) fails the conversion.
#include "wideconv.h"

#include <errno.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <string.h>
#include <sys/stat.h>

namespace {

// Where iconv writes during the size query; the bytes are only counted.
const size_t scratchSize = 64 * 1024;

iconv_t openConverter() {
    char target[128];
    snprintf(target, sizeof target, "%s//TRANSLIT", nl_langinfo(CODESET));
    return iconv_open(target, "UTF-16LE");
}

// Bytes of the text before its first zero code unit.
size_t wideTextLength(const unsigned char *units) {
    size_t length = 0;
    while (units[length] != 0 || units[length + 1] != 0)
        length += 2;
    return length;
}

// One pass of iconv over the text, the shift-state reset included. With
// countOnly, output goes round a scratch block and is only counted; otherwise
// it goes to out, which must hold it all. Returns the bytes produced, or
// (size_t)-1 with errno set.
size_t runConverter(const unsigned char *units, char *out, size_t outSize, bool countOnly) {
    iconv_t converter = openConverter();
    if (converter == reinterpret_cast<iconv_t>(-1)) return static_cast<size_t>(-1);
    static char scratch[scratchSize];
    char *in = const_cast<char *>(reinterpret_cast<const char *>(units));
    size_t inLeft = wideTextLength(units);
    size_t produced = 0;
    bool flushing = false;
    for (;;) {
        char *start = countOnly ? scratch : out + produced;
        char *next = start;
        size_t room = countOnly ? scratchSize : outSize - produced;
        // A null input asks iconv for the bytes that return to the initial
        // shift state, which belong to the text as well.
        size_t result = flushing ? iconv(converter, nullptr, nullptr, &next, &room)
                                 : iconv(converter, &in, &inLeft, &next, &room);
        produced += static_cast<size_t>(next - start);
        if (result != static_cast<size_t>(-1)) {
            if (flushing) break;
            flushing = true;
            continue;
        }
        if (errno != E2BIG || !countOnly) {
            int saved = errno;
            iconv_close(converter);
            errno = saved;
            return static_cast<size_t>(-1);
        }
    }
    iconv_close(converter);
    return produced;
}

} // namespace

void prepareNarrowCharset() {
    setlocale(LC_ALL, "");
}

FILE *openTextFile(const char *path) {
    FILE *file = fopen(path, "r");
    if (file == nullptr) return nullptr;
    // fopen accepts a directory here, and its read fails later; refuse it now,
    // as Windows does at the open.
    struct stat status;
    if (fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) {
        fclose(file);
        errno = EISDIR;
        return nullptr;
    }
    return file;
}

size_t narrowSize(const unsigned char *units, unsigned long *error) {
    size_t produced = runConverter(units, nullptr, 0, true);
    if (produced == static_cast<size_t>(-1)) {
        *error = static_cast<unsigned long>(errno);
        return 0;
    }
    return produced + 1;
}

size_t convertToNarrow(const unsigned char *units, char *out, size_t outSize,
                       unsigned long *error) {
    if (outSize == 0) {
        *error = E2BIG;
        return 0;
    }
    size_t produced = runConverter(units, out, outSize - 1, false);
    if (produced == static_cast<size_t>(-1)) {
        *error = static_cast<unsigned long>(errno);
        return 0;
    }
    out[produced] = '\0';
    return produced + 1;
}
