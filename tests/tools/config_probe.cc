// Test driver of the library's Error Report boxes and library directory:
// runs each command of its command line in turn, so that one process start
// covers many cases.
//
//   config_probe report CODE MESSAGE   reportSystemError(MESSAGE, CODE)
//   config_probe box MESSAGE           errorBox(MESSAGE); prints its result
//   config_probe libdir                prints libraryDirectory() (may exit 1)
//
// CODE is read by strtoul with base 0 (0x... for hexadecimal).
#include "orviconf.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv) {
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "report") == 0 && i + 2 < argc) {
            reportSystemError(argv[i + 2], (DWORD)strtoul(argv[i + 1], nullptr, 0));
            i += 2;
        } else if (strcmp(argv[i], "box") == 0 && i + 1 < argc) {
            printf("box %d\n", errorBox(argv[++i]));
        } else if (strcmp(argv[i], "libdir") == 0) {
            printf("libdir %s\n", libraryDirectory());
        } else {
            fprintf(stderr, "config_probe: bad command %s\n", argv[i]);
            return 2;
        }
        fflush(stdout);
    }
    return 0;
}
