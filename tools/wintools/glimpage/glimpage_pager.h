// glimpage_pager.h: the pager's driver. It merges the highlight script with
// the text file that the last 'f' command opened: the text goes to the output
// a character at a time (of the locale or code page, characters.h), and
// before each byte every command whose position has been reached is run.
#ifndef ORVI_GLIMPAGE_PAGER_H
#define ORVI_GLIMPAGE_PAGER_H

#include <stdint.h>

#include "glimpage_platform.h"
#include "glimpage_script.h"
#include "glimpage_stream.h"

struct PagerState {
    bool highlightSense;   // a byte is highlighted when (depth > 0) equals this
    void *textFile;        // from the platform's openTextFile, or null
    ByteSource textSource; // the bytes of textFile
    int32_t textLine;      // position of the next byte of textFile
    int32_t textColumn;
    int depth;                            // open '+' regions, never below 0
    bool outputOn;                        // false after 'O' until 'o' or 'f'
    bool reversed;                        // the console shows the reverse attribute
    int32_t outputColumn;                 // next column on the output line, margin not counted
    bool marginOn;                        // set by 'm', never cleared
    ScriptCommand pending;                // read and not yet run
    bool scriptMore;                      // the last readScriptCommand returned true
    bool readFailed;                      // a read of the script or a text file failed: status 1
    char textName[MaxArgumentLength + 1]; // textFile's name, as the script gave it
};

// Options of the command line. Returns 0, or the first unknown option letter
// (the caller prints the usage and ends with status 1).
int parsePagerOptions(int argc, char **argv, bool *highlightSense);

// Overstrike mode copies runs of ordinary bytes in bulk; false sends every
// character through the general path (the fuzzer compares the two).
extern bool ordinaryRuns;

// Runs the whole pager on platform: sets up the output, merges the script on
// standard input with the text files, and returns the exit status. A failed
// write of standard output ends the run with status 1 and its errno in
// *writeError (0 otherwise). A failed read of the script ends the run there;
// a text file that fails is closed and the run goes on as after its end;
// either is named on standard error and makes the status 1.
int runPager(const PagerPlatform *platform, bool highlightSense, int *writeError);

#endif
