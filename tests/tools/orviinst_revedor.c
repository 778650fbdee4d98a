/* revedor.exe stand-in for the tests of orviinst: appends what it was started
 * with to the file named by ORVI_STANDIN_LOG, then exits with the status in
 * ORVI_STANDIN_STATUS (default 0, may be negative). Record, binary, one item a
 * line: cmdline=<GetCommandLineA>, argv=<argv[i]> for each argument as the C
 * runtime split the command line, TCL_LIBRARY= and TK_LIBRARY=<value or
 * "<unset>">, then "end". */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

int _dowildcard = 0; /* argv exactly as the command line says */

int main(int argc, char **argv) {
    const char *status = getenv("ORVI_STANDIN_STATUS");
    FILE *log = fopen(getenv("ORVI_STANDIN_LOG"), "ab");
    if (log == NULL) return 99;
    fprintf(log, "cmdline=%s\n", GetCommandLineA());
    for (int i = 0; i < argc; i++)
        fprintf(log, "argv=%s\n", argv[i]);
    const char *tcl = getenv("TCL_LIBRARY"), *tk = getenv("TK_LIBRARY");
    fprintf(log, "TCL_LIBRARY=%s\nTK_LIBRARY=%s\nend\n", tcl ? tcl : "<unset>",
            tk ? tk : "<unset>");
    fclose(log);
    return status != NULL ? atoi(status) : 0;
}
