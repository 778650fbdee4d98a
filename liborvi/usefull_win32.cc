// Windows services of the module usefull: the suite's library directory.
#include "orviconf.h"

#include <stdio.h>
#include <stdlib.h>

char *libraryDirectory(void) {
    char *path = nullptr;
    if (makeKeyPath(configVersion, &path) != 0) {
        fprintf(stderr, "bad orvi key\n");
        exit(1);
    }
    ConfigValueList list = nullptr;
    if (readConfigValues(HKEY_LOCAL_MACHINE, path, &list) != 0) {
        fprintf(stderr, "bad keylist: %s\n", path);
        exit(1);
    }
    free(path);
    // The list is kept for the life of the process: the string handed out
    // points into it.
    char *directory = nullptr;
    if (findConfigValue(list, "ORVILIB", &directory) != 0) {
        fprintf(stderr, "no value for ORVILIB\n");
        exit(1);
    }
    return directory;
}
