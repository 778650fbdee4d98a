// usefull_probe: calls the library's Windows services in one process in the
// order of its arguments, one result a line, so that a test sees their state:
// path[:NAME], exit[:NAME], env:NAME, report:CODE:TEXT (an Error Report box)
// and delkey (removes the configuration key behind the library's back).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "config_win32.h"
#include "usefull_win32.h"

int main(int argc, char **argv) {
    for (int i = 1; i < argc; i++) {
        char *arg = strchr(argv[i], ':');
        if (arg != nullptr) *arg++ = '\0';
        const char *op = argv[i];
        if (strcmp(op, "path") == 0 || strcmp(op, "exit") == 0) {
            printf("%s\n", op[0] == 'p' ? libraryPath(arg) : libraryPathOrExit(arg));
        } else if (strcmp(op, "env") == 0) {
            printf("%s=[%s]\n", arg, configGetenv(arg));
        } else if (strcmp(op, "report") == 0) {
            char *text;
            DWORD code = static_cast<DWORD>(strtoul(arg, &text, 0));
            reportSystemError(text + 1, code);
        } else if (strcmp(op, "delkey") == 0) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kestrova\\Vemto\\1.3");
        } else {
            return 2;
        }
        fflush(stdout);
    }
    return 0;
}
