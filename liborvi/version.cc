// The configuration version and the registry key path built from it. Portable:
// no Windows headers, so the native unit tests can exercise it under ASan.
#include "version.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

// The release's major.minor, from the project version (liborvi/CMakeLists.txt).
const char configVersion[] = ORVI_CONFIG_VERSION;

namespace {

const char KeyPrefix[] = "SOFTWARE\\Kestrova\\Vemto\\";

// Cuts the next dot-separated token out of *cursor in place: runs of dots
// count as one separator, leading and trailing dots give no token. Returns the
// token, or null when only dots (or nothing) remain. The position lives in the
// caller's cursor, so no other tokenizing in the process can disturb it.
char *nextVersionToken(char **cursor) {
    char *p = *cursor;
    while (*p == '.')
        p++;
    if (*p == '\0') {
        *cursor = p;
        return nullptr;
    }
    char *token = p;
    while (*p != '\0' && *p != '.')
        p++;
    if (*p == '.') *p++ = '\0';
    *cursor = p;
    return token;
}

// atoi's reading (leading white space, an optional sign, decimal digits, 0
// when there are none) with out-of-range numbers clamped, since atoi's
// overflow is undefined.
int32_t versionNumberOf(const char *text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        text++;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; text++) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1)
            value = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative) return static_cast<int32_t>(-value);
    return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

} // namespace

int parseVersion(const char *text, VersionNumber *out) {
    size_t size = strlen(text) + 1;
    char *scratch = static_cast<char *>(malloc(size));
    if (scratch == nullptr) return -1;
    memcpy(scratch, text, size);

    char *cursor = scratch;
    char *token = nextVersionToken(&cursor);
    int32_t major = token ? versionNumberOf(token) : 0;
    if (major == 0) {
        free(scratch);
        return -1;
    }
    out->major = major;
    out->minor = 0;
    out->patch = 0;
    if ((token = nextVersionToken(&cursor)) != nullptr) {
        out->minor = versionNumberOf(token);
        if ((token = nextVersionToken(&cursor)) != nullptr) out->patch = versionNumberOf(token);
    }
    free(scratch);
    return 0;
}

int makeKeyPath(const char *version, char **out) {
    size_t prefixLength = sizeof KeyPrefix - 1;
    size_t versionLength = strlen(version);
    *out = static_cast<char *>(malloc(prefixLength + versionLength + 1));
    if (*out == nullptr) return -1;
    memcpy(*out, KeyPrefix, prefixLength);
    memcpy(*out + prefixLength, version, versionLength + 1);
    return 0;
}
