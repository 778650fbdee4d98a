/* orviinst_host: stands in for the installer that loads orviinst.dll.
 *   orviinst_host DLL STEP...
 * Steps run in order:
 *   call:EXPORT      calls the export (no arguments) and prints "EXPORT=RESULT"
 *   set:NAME=VALUE   sets an environment variable (VALUE may be empty)
 *   unset:NAME       removes it
 *   env:NAME         prints "NAME=VALUE"
 * Output is binary (line feeds only). Exit status 0, or 2 on a usage error or
 * when the library or an export cannot be found. */
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

typedef int(WINAPI *Export)(void);

static int step(HMODULE library, const char *arg) {
    char name[4096];
    if (strncmp(arg, "call:", 5) == 0) {
        Export export = (Export)(void (*)(void))GetProcAddress(library, arg + 5);
        if (export == NULL) {
            fprintf(stderr, "no export %s\n", arg + 5);
            return 2;
        }
        int result = export();
        printf("%s=%d\n", arg + 5, result);
    } else if (strncmp(arg, "set:", 4) == 0) {
        const char *equals = strchr(arg + 4, '=');
        if (equals == NULL || equals - (arg + 4) >= (int)sizeof name) return 2;
        memcpy(name, arg + 4, equals - (arg + 4));
        name[equals - (arg + 4)] = '\0';
        SetEnvironmentVariableA(name, equals + 1);
    } else if (strncmp(arg, "unset:", 6) == 0) {
        SetEnvironmentVariableA(arg + 6, NULL);
    } else if (strncmp(arg, "env:", 4) == 0) {
        static char value[40000];
        DWORD n = GetEnvironmentVariableA(arg + 4, value, sizeof value);
        printf("%s=%s\n", arg + 4, n < sizeof value ? value : "<too long>");
    } else {
        fprintf(stderr, "unknown step %s\n", arg);
        return 2;
    }
    fflush(stdout);
    return 0;
}

int main(int argc, char **argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    HMODULE library = argc > 1 ? LoadLibraryA(argv[1]) : NULL;
    if (library == NULL) {
        fprintf(stderr, "cannot load the library: error %lu\n", GetLastError());
        return 2;
    }
    for (int i = 2; i < argc; i++)
        if (step(library, argv[i]) != 0) return 2;
    return 0;
}
