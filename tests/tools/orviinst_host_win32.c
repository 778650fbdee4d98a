/* orviinst_host DLL EXPORT...: stands in for an installer of orviinst.dll.
 * Calls each export and prints "EXPORT=RESULT TCL_LIBRARY TK_LIBRARY" with the
 * variables' values after the call (exit status 2: library or export missing).
 * Copied as revedor.exe it stands in for the shell: prints its command line
 * and exits with the status in ORVI_STANDIN_STATUS. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef int(WINAPI *Export)(void);

int main(int argc, char **argv) {
    if (strstr(argv[0], "revedor.exe") != NULL) {
        printf("%s\n", GetCommandLineA());
        return atoi(getenv("ORVI_STANDIN_STATUS"));
    }
    HMODULE library = argc > 1 ? LoadLibraryA(argv[1]) : NULL;
    for (int i = 2; library != NULL && i < argc; i++) {
        Export export = (Export)(void (*)(void))GetProcAddress(library, argv[i]);
        if (export == NULL) return 2;
        int result = export();
        char tcl[1024] = "", tk[1024] = "";
        GetEnvironmentVariableA("TCL_LIBRARY", tcl, sizeof tcl);
        GetEnvironmentVariableA("TK_LIBRARY", tk, sizeof tk);
        printf("%s=%d %s %s\n", argv[i], result, tcl, tk);
        fflush(stdout);
    }
    return library != NULL ? 0 : 2;
}
