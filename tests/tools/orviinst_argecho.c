/* Argument echo for the quoting tests: writes argv[1..] to standard output as
 * the C runtime split the command line, each argument followed by a zero byte. */
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

int _dowildcard = 0; /* no wildcard expansion: argv exactly as quoted */

int main(int argc, char **argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    for (int i = 1; i < argc; i++)
        fwrite(argv[i], 1, strlen(argv[i]) + 1, stdout);
    return fflush(stdout) == 0 ? 0 : 1;
}
