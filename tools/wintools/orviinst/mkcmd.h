// mkcmd: command-line arguments for a process started with CreateProcess.
//
// A Windows program receives one command-line string and splits it again with
// the C runtime's rules: spaces and tabs separate arguments, double quotes
// group, and backslashes escape only directly before a double quote.
// quoteArg turns one string into text that those rules read back as that same
// single argument, so a caller can join quoted arguments with single spaces.
#ifndef ORVI_MKCMD_H
#define ORVI_MKCMD_H

// Returns str followed by the first n bytes of text (fewer when text ends
// sooner; all of it when n is negative) in a new heap block, and releases str.
// n == 0 returns str itself (null stays null); a null str is treated as "".
// When no memory is left, str is released and the result is null.
char *appendText(char *str, const char *text, int n);

// Returns text quoted for a command line, in a new heap block the caller
// releases with free. Text with white space (tab to carriage return, space) is
// wrapped in double quotes; each double quote becomes \"; a run of backslashes
// before a double quote, or at the end of a wrapped argument, is doubled; the
// empty string becomes "". Returns null when no memory is left.
char *quoteArg(const char *text);

// The heap allocator of the program linking this module: a block of size
// bytes, or null after telling the user that memory ran out.
void *allocOrReport(int size);

#endif
