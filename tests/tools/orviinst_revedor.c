/* revedor.exe stand-in for the tests of orviinst: appends what it was started
 * with to the file named by ORVI_STANDIN_LOG, then exits with the status in
 * ORVI_STANDIN_STATUS (default 0, may be negative). Record, binary, one item a
 * line:
 *   cmdline=<GetCommandLineA>
 *   argc=<n>
 *   argv=<argv[i]>            n lines, as the C runtime split the command line
 *   TCL_LIBRARY=<value> | TCL_LIBRARY unset
 *   TK_LIBRARY=<value>  | TK_LIBRARY unset
 *   end */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

int _dowildcard = 0; /* argv exactly as the command line says */

static void putVariable(FILE *log, const char *name) {
    const char *value = getenv(name);
    if (value == NULL)
        fprintf(log, "%s unset\n", name);
    else
        fprintf(log, "%s=%s\n", name, value);
}

int main(int argc, char **argv) {
    const char *logName = getenv("ORVI_STANDIN_LOG");
    const char *status = getenv("ORVI_STANDIN_STATUS");
    if (logName != NULL) {
        FILE *log = fopen(logName, "ab");
        if (log == NULL) return 99;
        fprintf(log, "cmdline=%s\nargc=%d\n", GetCommandLineA(), argc);
        for (int i = 0; i < argc; i++)
            fprintf(log, "argv=%s\n", argv[i]);
        putVariable(log, "TCL_LIBRARY");
        putVariable(log, "TK_LIBRARY");
        fputs("end\n", log);
        fclose(log);
    }
    return status != NULL ? atoi(status) : 0;
}
