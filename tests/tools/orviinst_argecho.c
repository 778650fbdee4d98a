/* Argument echo for the quoting tests: orviinst_argecho FILE ARG... writes each
 * ARG to FILE as the C runtime split the command line, followed by a zero byte. */
#include <stdio.h>
#include <string.h>

int _dowildcard = 0; /* no wildcard expansion: argv exactly as quoted */

int main(int argc, char **argv) {
    FILE *out = argc > 1 ? fopen(argv[1], "wb") : NULL;
    if (out == NULL) return 2;
    for (int i = 2; i < argc; i++)
        fwrite(argv[i], 1, strlen(argv[i]) + 1, out);
    return fclose(out) == 0 ? 0 : 1;
}
