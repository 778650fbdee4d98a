// version.h: the configuration version and the registry key path built from
// it (version.cc). Portable, so that the native tests run it.
#ifndef ORVI_VERSION_H
#define ORVI_VERSION_H

#include <stdint.h>

// The configuration version from which the registry key path is built.
extern const char configVersion[];

struct VersionNumber {
    int32_t major;
    int32_t minor;
    int32_t patch;
};

// Splits "1.3" style text at dots (runs of dots are one separator). Returns 0,
// or -1 when there is no usable major number (0 or not a number) or no memory.
int parseVersion(const char *text, VersionNumber *out);

// Builds "SOFTWARE\Kestrova\Vemto\" + version into a new malloc'd string.
// Returns 0, or -1 with *out null when memory runs out.
int makeKeyPath(const char *version, char **out);

#endif
