/* orviinst_host: stands in for the installer that loads orviinst.dll.
 *   orviinst_host DLL STEP...
 * Steps run in order:
 *   call:EXPORT      calls the export (no arguments) and prints "EXPORT=RESULT"
 *   set:NAME=VALUE   sets an environment variable (VALUE may be empty)
 *   unset:NAME       removes it
 *   env:NAME         prints "NAME=VALUE"
 * Output is binary (line feeds only). Exit status 0, or 2 when the library,
 * an export or a step is unknown. */
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

typedef int(WINAPI *Export)(void);

static int step(HMODULE library, char *arg) {
    static char value[40000];
    if (strncmp(arg, "call:", 5) == 0) {
        Export export = (Export)(void (*)(void))GetProcAddress(library, arg + 5);
        if (export == NULL) return 2;
        printf("%s=%d\n", arg + 5, export());
    } else if (strncmp(arg, "set:", 4) == 0 && strchr(arg, '=') != NULL) {
        char *equals = strchr(arg, '=');
        *equals = '\0';
        SetEnvironmentVariableA(arg + 4, equals + 1);
    } else if (strncmp(arg, "unset:", 6) == 0) {
        SetEnvironmentVariableA(arg + 6, NULL);
    } else if (strncmp(arg, "env:", 4) == 0) {
        value[0] = '\0';
        GetEnvironmentVariableA(arg + 4, value, sizeof value);
        printf("%s=%s\n", arg + 4, value);
    } else {
        return 2;
    }
    fflush(stdout);
    return 0;
}

int main(int argc, char **argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    HMODULE library = argc > 1 ? LoadLibraryA(argv[1]) : NULL;
    for (int i = 2; library != NULL && i < argc; i++)
        if (step(library, argv[i]) != 0) return 2;
    return library != NULL ? 0 : 2;
}
