// usefull_probe: calls the library's Windows services in one process, in the
// order of its arguments (path[:NAME], exit[:NAME], env:NAME, load, table,
// box:TEXT, report:CODE:TEXT), one result a line, so that a test can watch the
// process-wide state; setlib:DIR and delkey change the key behind its back.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "orviconf.h"

// The library's process-wide table, kept out of its header.
extern char **ConfigEnvironment;

static const char configKey[] = "SOFTWARE\\Kestrova\\Vemto\\1.3";

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

static void setLibraryValue(const char *directory) {
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, configKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, "ORVILIB", 0, REG_SZ, reinterpret_cast<const BYTE *>(directory),
                   DWORD(strlen(directory) + 1));
    RegCloseKey(key);
}

int main(int argc, char **argv) {
    for (int i = 1; i < argc; i++) {
        std::string op = argv[i];
        size_t colon = op.find(':');
        const char *arg = colon == std::string::npos ? nullptr : argv[i] + colon + 1;
        op = op.substr(0, colon);
        if (op == "path") {
            printf("%s\n", libraryPath(arg));
        } else if (op == "exit") {
            printf("%s\n", libraryPathOrExit(arg));
        } else if (op == "env") {
            printf("%s=[%s]\n", arg, configGetenv(arg));
        } else if (op == "setlib") {
            setLibraryValue(arg);
        } else if (op == "box") {
            printf("box %d\n", errorBox(arg));
        } else if (op == "report") {
            char *text;
            DWORD code = DWORD(strtoul(arg, &text, 0));
            reportSystemError(text + 1, code);
        } else if (op == "delkey") {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, configKey);
        } else if (op == "load") {
            loadConfigEnvironment();
        } else if (op == "table") {
            printTable();
        } else {
            return 2;
        }
        fflush(stdout);
    }
    return 0;
}
