// wideconv's native layer: the conversion goes to the codeset of the user's
// locale through iconv. Characters the codeset lacks are transliterated or
// replaced by "?", as the Windows conversion replaces them by its default
// character; malformed UTF-16 (a lone surrogate) fails the conversion.
#include "wideconv_system.h"
#include "wideconv_text.h"

#include <errno.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

namespace {

// Where iconv writes during the size query; the bytes are only counted.
const size_t ScratchSize = 64 * 1024;

iconv_t openConverter() {
    char target[128];
    snprintf(target, sizeof target, "%s//TRANSLIT", nl_langinfo(CODESET));
    return iconv_open(target, "UTF-16LE");
}

// The scan below goes in blocks without an early exit inside, so that the
// compiler can vectorise it; a large file spends a good part of its time here.
const size_t BlockUnits = 4096;
static_assert(3 * BlockUnits < 65536, "a block's counts must fit in 16 bits");

bool isHighSurrogate(unsigned unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(unsigned unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Surrogates must come in high-low pairs. EILSEQ for a lone one, EINVAL for a
// high surrogate that ends the text, as iconv answers.
int checkSurrogates(const unsigned char *units, size_t length) {
    for (size_t at = 0; at < length; at += 2) {
        unsigned unit = codeUnitAt(units, at / 2);
        if (isLowSurrogate(unit)) return EILSEQ;
        if (!isHighSurrogate(unit)) continue;
        if (at + 2 == length) return EINVAL;
        if (!isLowSurrogate(codeUnitAt(units, at / 2 + 1))) return EILSEQ;
        at += 2;
    }
    return 0;
}

struct UnitCounts {
    size_t utf8Bytes; // every unit as 1, 2 or 3 bytes
    size_t surrogates;
};

// Counts over units [from, to), at most BlockUnits of them, so that 16-bit
// sums (eight to a vector register) cannot overflow. One loop with no exit,
// for the vectoriser.
UnitCounts countUnits(const unsigned char *units, size_t from, size_t to) {
    uint16_t from80 = 0, from800 = 0, surrogates = 0;
    for (size_t i = from; i < to; ++i) {
        uint16_t unit = codeUnitAt(units, i);
        from80 += unit >= 0x80;
        from800 += unit >= 0x800;
        surrogates += (unit & 0xF800) == 0xD800;
    }
    return {(to - from) + from80 + from800, surrogates};
}

// The UTF-8 size of the text follows from its code units alone, which is
// several times quicker than a converter pass that throws its output away. A
// surrogate pair makes 4 bytes, not 3 + 3.
size_t utf8Length(const unsigned char *units, size_t length, int *error) {
    size_t total = length / 2;
    size_t bytes = 0;
    size_t surrogates = 0;
    for (size_t at = 0; at < total; at += BlockUnits) {
        size_t end = total - at < BlockUnits ? total : at + BlockUnits;
        UnitCounts counts = countUnits(units, at, end);
        bytes += counts.utf8Bytes;
        surrogates += counts.surrogates;
    }
    if (surrogates != 0) {
        *error = checkSurrogates(units, length);
        if (*error != 0) return static_cast<size_t>(-1);
    }
    return bytes - surrogates;
}

bool narrowCharsetIsUtf8() {
    return strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
}

// One pass of iconv over the text, the shift-state reset included. With
// countOnly, output goes round a scratch block and is only counted; otherwise
// it goes to out, which must hold it all. Returns the bytes produced, or
// (size_t)-1 with errno set.
//
// iconv wants room before it knows that a character transliterates to
// nothing, so the tail of a block sized exactly by the count can fail with
// E2BIG although the text fits; that tail goes through the scratch block.
size_t runConverter(const unsigned char *units, size_t length, char *out, size_t outSize,
                    bool countOnly) {
    iconv_t converter = openConverter();
    if (converter == reinterpret_cast<iconv_t>(-1)) return static_cast<size_t>(-1);
    static char scratch[ScratchSize];
    char *in = const_cast<char *>(reinterpret_cast<const char *>(units));
    size_t inLeft = length;
    size_t produced = 0;
    bool flushing = false;
    bool viaScratch = countOnly;
    int failure = 0;
    for (;;) {
        char *start = viaScratch ? scratch : out + produced;
        char *next = start;
        size_t room = viaScratch ? ScratchSize : outSize - produced;
        // A null input asks iconv for the bytes that return to the initial
        // shift state, which belong to the text as well.
        size_t result = flushing ? iconv(converter, nullptr, nullptr, &next, &room)
                                 : iconv(converter, &in, &inLeft, &next, &room);
        int error = errno;
        size_t made = static_cast<size_t>(next - start);
        if (viaScratch && !countOnly) {
            if (made > outSize - produced) {
                failure = E2BIG;
                break;
            }
            memcpy(out + produced, scratch, made);
        }
        produced += made;
        if (result != static_cast<size_t>(-1)) {
            if (flushing) break;
            flushing = true;
            continue;
        }
        if (error != E2BIG) {
            failure = error;
            break;
        }
        viaScratch = true;
    }
    iconv_close(converter);
    if (failure != 0) {
        errno = failure;
        return static_cast<size_t>(-1);
    }
    return produced;
}

} // namespace

void prepareNarrowCharset() {
    setlocale(LC_ALL, "");
}

int queryFileSize(const char *path, uint64_t *size) {
    struct stat status;
    if (stat(path, &status) != 0 || status.st_size < 0) return -1;
    *size = static_cast<uint64_t>(status.st_size);
    return 0;
}

size_t narrowSize(const unsigned char *units, size_t length, unsigned long *error) {
    int failure = 0;
    size_t produced = 0;
    if (narrowCharsetIsUtf8()) {
        produced = utf8Length(units, length, &failure);
    } else {
        produced = runConverter(units, length, nullptr, 0, true);
        failure = errno;
    }
    if (produced == static_cast<size_t>(-1)) {
        *error = static_cast<unsigned long>(failure);
        return 0;
    }
    return produced + 1;
}

size_t convertToNarrow(const unsigned char *units, size_t length, char *out, size_t outSize,
                       unsigned long *error) {
    if (outSize == 0) {
        *error = E2BIG;
        return 0;
    }
    size_t produced = runConverter(units, length, out, outSize - 1, false);
    if (produced == static_cast<size_t>(-1)) {
        *error = static_cast<unsigned long>(errno);
        return 0;
    }
    out[produced] = '\0';
    return produced + 1;
}
