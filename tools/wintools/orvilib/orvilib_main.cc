// orvilib: prints one value of the suite's registry configuration.
//
//   orvilib [-b] [-k key] [name]
//
// Without a name it prints ORVILIB, the suite's library directory, from the
// configuration key under HKEY_LOCAL_MACHINE. -k reads another key below
// HKEY_LOCAL_MACHINE (forward slashes in it are taken as backslashes). The
// value is printed with forward slashes, or with backslashes under -b.
// Exit status 0, or 1 on a bad command line (usage on standard error), a
// registry failure (shown in an Error Report box) or a failed write (one line
// on standard error, nothing for a pipe whose reader has gone).
#include "config_win32.h"
#include "portable.h"
#include "sysio.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Rewrites text in place: with backslashMode 1 every "/" becomes "\", with 0
// every "\" becomes "/".
void convertSlashes(char *text, int backslashMode) {
    char from = backslashMode ? '/' : '\\';
    char to = backslashMode ? '\\' : '/';
    for (; *text != '\0'; text++)
        if (*text == from) *text = to;
}

void usage() {
    fprintf(stderr, "usage: orvilib [-b] [-k key] [name]\n");
    exit(1);
}

struct Query {
    char *key;         // from -k, or null for the configuration key
    const char *name;  // the value to print
    int backslashMode; // 1 under -b: the value is printed with backslashes
};

// Reads the command line; a malformed one ends the process with the usage
// text before anything touches the registry.
Query scanArguments(int argc, char **argv) {
    Query query = {nullptr, "ORVILIB", 0};
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; i++) {
        switch (argv[i][1]) {
        case 'b':
            query.backslashMode = 1;
            break;
        case 'k':
            if (argv[i][2] != '\0')
                query.key = argv[i] + 2;
            else if (i + 1 < argc)
                query.key = argv[++i];
            else
                usage(); // nothing to take as the key
            break;
        default:
            usage();
        }
    }
    if (argc - i >= 2) usage();
    if (argc - i == 1) query.name = argv[i];
    return query;
}

// Writes the value and a line feed straight to the descriptor, whose text mode
// still turns the line feed into CR LF: a stream's printf would report success
// on a device that refuses the bytes. Returns the exit status.
int printValue(const char *value) {
    if (writeDescriptor(1, value, strlen(value)) != 0 || writeDescriptor(1, "\n", 1) != 0)
        return writeFailureStatus("orvilib", errno);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    Query query = scanArguments(argc, argv);
    ignoreClosedPipes();

    char *defaultKey = nullptr;
    const char *key = query.key;
    if (key != nullptr) {
        // The key always takes backslashes, whatever -b asks for the value.
        convertSlashes(query.key, 1);
    } else {
        if (makeKeyPath(configVersion, &defaultKey) != 0) {
            errorBox("Bad orvi key");
            return 1;
        }
        key = defaultKey;
    }

    // The list is not released: the process ends right after printing.
    ConfigValueList list = nullptr;
    if (readConfigValues(HKEY_LOCAL_MACHINE, key, &list) != 0) {
        reportSystemError("Can't get Orvi keylist", GetLastError());
        return 1;
    }
    free(defaultKey);

    char *value = nullptr;
    if (findConfigValue(list, query.name, &value) != 0) {
        errorBox("No value from orvilib");
        return 1;
    }
    convertSlashes(value, query.backslashMode);
    return printValue(value);
}
