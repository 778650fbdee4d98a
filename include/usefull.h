// usefull.h: the support library's general utilities (usefull.cc), portable:
// memory that ends the process instead of failing, the growable array, string
// copies and comparisons, text readers, the escape printer and the yes/no
// setting reader. The library directory and the environment behind the
// registry, Windows only, are in usefull_win32.h.
#ifndef ORVI_USEFULL_H
#define ORVI_USEFULL_H

#include <stdio.h>

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
