// mkcmd: the command line of a process started with CreateProcess.
//
// A Windows program receives one command-line string and splits it again with
// the C runtime's rules: spaces and tabs separate arguments, double quotes
// group, and backslashes escape only directly before a double quote.
// quoteArg turns one string into text that those rules read back as that same
// single argument, so a caller can join quoted arguments with single spaces.
#ifndef ORVI_MKCMD_H
#define ORVI_MKCMD_H

// Where the blocks come from: a heap block of size bytes that free releases,
// or null when memory ran out (the caller's allocator may tell the user so
// first). quoteArg and appendText add no message of their own.
typedef void *Allocator(int size);

// Returns str followed by the first n bytes of text (fewer when text ends
// sooner; all of it when n is negative) in a new heap block, and releases str.
// n == 0 returns str itself (null stays null); a null str is treated as "".
// When no memory is left, str is released and the result is null.
char *appendText(char *str, const char *text, int n, Allocator *allocate);

// Returns text quoted for a command line, in a new heap block the caller
// releases with free. Text with white space (tab to carriage return, space) is
// wrapped in double quotes; each double quote becomes \"; a run of backslashes
// before a double quote, or at the end of a wrapped argument, is doubled; the
// empty string becomes "". Returns null when no memory is left.
char *quoteArg(const char *text, Allocator *allocate);

// Returns the null-terminated list of arguments joined by single spaces,
// nothing added or quoted, in a new heap block; null when no memory is left
// (or the list is empty).
// CreateProcess takes the command line so made.
char *joinArguments(char *const *args, Allocator *allocate);

#endif
