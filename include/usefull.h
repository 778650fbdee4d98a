// portable.h: the support library's common header. Everything declared here
// builds on every platform; the Windows-only services are in orviconf.h.
#ifndef ORVI_PORTABLE_H
#define ORVI_PORTABLE_H

#include <stdint.h>
#include <stdio.h>

// ---- Version and key path of the suite's configuration -------------------

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

// ---- Memory --------------------------------------------------------------

// malloc (block null) or realloc; a size of 0 or less becomes 1. Never returns
// null: exhaustion goes through perror and exit status 1.
void *allocOrExit(void *block, int size);
void freeBlock(void *block);
int floorLog2(int n);

// Growable array: the caller holds a pointer 16 bytes into a malloc'd block
// whose header holds creation size, used size and block size.
void *growArray(void *array, int count, int size);
void freeArray(void *array);
void *finishArray(void *array);

// ---- Strings -------------------------------------------------------------

char *copyString(const char *s);
char *appendString(char *s, const char *t);
char *upperCopy(const char *s);
char *lowerCopy(const char *s);
int compareNoCase(const char *a, const char *b);
int compareNoCaseN(const char *a, const char *b, int n);

// ---- Stream readers and writers ------------------------------------------

char *readParagraph(FILE *in, const char *terminators, const char *prompt, FILE *promptStream);
char *readLine(FILE *in);
char *readJoinedLine(FILE *in);
void printEscapedChar(FILE *out, int c);

// Yes/no setting: null gives the default; "off"/"no"/"false"/"" give 0.
int parseFlag(const char *text, int defaultValue);

#endif
