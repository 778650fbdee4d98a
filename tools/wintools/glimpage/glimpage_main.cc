// glimpage: pages text files with highlighted regions.
//
//   glimpage [-u] [-r] [ignored arguments...] < script
//
// The highlight script on standard input names the text files ("f|name") and,
// by line and column, where highlighted regions open ("+ line column") and
// close ("- line column"); it can also print header and plain lines, switch
// output off and on and indent with a margin. -r inverts the highlighting,
// -u is accepted and does nothing. On a console (natively: a terminal whose
// entry in the terminal database has reverse video and a way to clear)
// highlighted text is shown in reverse video with a "-More-" prompt at every
// page; when standard output is a file or pipe the highlighting is written as
// overstrikes ('_', backspace, character). Exit status 0, or 1 for an unknown
// option, a script on a terminal, a failed console operation or a failed
// write of standard output.
#include <stdio.h>

#include "characters.h"
#include "glimpage_pager.h"
#include "glimpage_system.h"
#include "sysio.h"

namespace {

void printUsage(const char *program) {
    fprintf(stderr, "usage: %s [-u] [-r] {script-file | -} [text-file | -]\n", program);
}

} // namespace

int main(int argc, char **argv) {
    const char *program = argc > 0 && argv[0] != nullptr ? argv[0] : "glimpage";
    bool highlightSense;
    int unknown = parsePagerOptions(argc, argv, &highlightSense);
    if (unknown != 0) {
        fprintf(stderr, "%s: unknown option: -%c\n", program, unknown);
        printUsage(program);
        return 1;
    }
    // "glimpage file.c" would wait, silently, for a script typed in.
    if (scriptIsTyped()) {
        printUsage(program);
        fprintf(stderr, "%s: the highlight script is read from standard input: %s < script\n",
                program, program);
        return 1;
    }
    setupCharacters();
    setBinaryMode(0);
    setBinaryMode(1);
    ignoreClosedPipes();
    int writeError;
    int status = runPager(systemPlatform(program), highlightSense, &writeError);
    // A reader that has gone away ends the run quietly; any other failed
    // write is named, never reported as success.
    if (writeError != 0) return writeFailureStatus(program, writeError);
    return status;
}
