/* orviinst_host DLL EXPORT...: stands in for an installer of orviinst.dll.
 * Calls each export and prints "EXPORT=RESULT TCL_LIBRARY TK_LIBRARY" with the
 * variables' values after the call (exit status 2: library or export missing).
 * With ORVI_STANDIN_MALLOC_LIMIT set, the library's malloc fails for blocks of
 * that many bytes or more.
 * Copied as revedor.exe it stands in for the shell: prints its command line
 * and exits with the status in ORVI_STANDIN_STATUS. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef int(WINAPI *Export)(void);

static size_t mallocLimit;

static void *limitedMalloc(size_t size) {
    return size < mallocLimit ? malloc(size) : NULL;
}

/* Points the library's imports of malloc at limitedMalloc. */
static void limitMalloc(HMODULE library, size_t limit) {
    char *base = (char *)library;
    IMAGE_NT_HEADERS *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    FARPROC real = GetProcAddress(GetModuleHandleA("msvcrt.dll"), "malloc");
    DWORD old;
    mallocLimit = limit;
    for (IMAGE_IMPORT_DESCRIPTOR *d = (void *)(base + imports); d->Name != 0; d++)
        for (FARPROC *slot = (void *)(base + d->FirstThunk); *slot != NULL; slot++)
            if (*slot == real && VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old))
                *slot = (FARPROC)(void (*)(void))limitedMalloc;
}

int main(int argc, char **argv) {
    if (strstr(argv[0], "revedor.exe") != NULL) {
        printf("%s\n", GetCommandLineA());
        return atoi(getenv("ORVI_STANDIN_STATUS"));
    }
    HMODULE library = argc > 1 ? LoadLibraryA(argv[1]) : NULL;
    const char *limit = getenv("ORVI_STANDIN_MALLOC_LIMIT");
    if (library != NULL && limit != NULL) limitMalloc(library, strtoul(limit, NULL, 10));
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
