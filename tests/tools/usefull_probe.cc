// usefull_probe: calls the library's Windows services in one process, in the
// order of its arguments, and prints each result on its own line, so that a
// test can watch the process-wide state across calls.
//
//   usefull_probe op...
//     path       libraryPath(null)         path:NAME  libraryPath(NAME)
//     exit       libraryPathOrExit(null)   exit:NAME  libraryPathOrExit(NAME)
//     env:NAME   configGetenv(NAME), printed as NAME=[value]
//     load       loadConfigEnvironment()
//     table      the state of ConfigEnvironment: unbuilt, failed, or its entries
//     setlib:DIR sets the key's ORVILIB to DIR    delkey  deletes the key
//     libdir     libraryDirectory()        box:TEXT   errorBox(TEXT)
//     report:CODE:TEXT  reportSystemError(TEXT, CODE), CODE as strtoul base 0
// setlib and delkey change the registry behind the process's back, to show
// what it has kept from earlier calls.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "orviconf.h"

static void printTable(void) {
    if (ConfigEnvironment == reinterpret_cast<char **>(intptr_t(-1))) {
        printf("table unbuilt\n");
    } else if (!ConfigEnvironment) {
        printf("table failed\n");
    } else {
        printf("table");
        for (char **entry = ConfigEnvironment; *entry; entry++)
            printf(" %s", *entry);
        printf("\n");
    }
}

static const char configKey[] = "SOFTWARE\\Kestrova\\Vemto\\1.3";

static void setLibraryValue(const char *directory) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, configKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS ||
        RegSetValueExA(key, "ORVILIB", 0, REG_SZ, reinterpret_cast<const BYTE *>(directory),
                       DWORD(strlen(directory) + 1)) != ERROR_SUCCESS) {
        fprintf(stderr, "usefull_probe: cannot set ORVILIB\n");
        exit(2);
    }
    RegCloseKey(key);
}

// The argument after "op:", or null for a bare "op".
static const char *argumentOf(const char *op, const char *name) {
    size_t length = strlen(name);
    if (strncmp(op, name, length) != 0) return nullptr;
    if (op[length] == ':') return op + length + 1;
    return op[length] == '\0' ? op + length : nullptr;
}

int main(int argc, char **argv) {
    for (int i = 1; i < argc; i++) {
        const char *op = argv[i];
        const char *arg;
        char *end;
        if ((arg = argumentOf(op, "path"))) {
            printf("%s\n", libraryPath(*arg ? arg : nullptr));
        } else if ((arg = argumentOf(op, "exit"))) {
            printf("%s\n", libraryPathOrExit(*arg ? arg : nullptr));
        } else if ((arg = argumentOf(op, "env"))) {
            printf("%s=[%s]\n", arg, configGetenv(arg));
        } else if ((arg = argumentOf(op, "setlib"))) {
            setLibraryValue(arg);
        } else if ((arg = argumentOf(op, "box"))) {
            printf("box %d\n", errorBox(arg));
        } else if ((arg = argumentOf(op, "report"))) {
            DWORD code = DWORD(strtoul(arg, &end, 0));
            reportSystemError(*end == ':' ? end + 1 : end, code);
        } else if (strcmp(op, "libdir") == 0) {
            printf("libdir %s\n", libraryDirectory());
        } else if (strcmp(op, "delkey") == 0) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, configKey);
        } else if (strcmp(op, "load") == 0) {
            loadConfigEnvironment();
        } else if (strcmp(op, "table") == 0) {
            printTable();
        } else {
            fprintf(stderr, "usefull_probe: unknown op %s\n", op);
            return 2;
        }
        fflush(stdout);
    }
    return 0;
}
