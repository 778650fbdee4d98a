/* verinfo FILE NAME...: prints FILE's version resource as Windows reads it: NAME=VALUE for each
 * string NAME of its first translation that it has. Status 2 when FILE has none. */
#include <windows.h>

#include <stdio.h>

int main(int argc, char **argv) {
    static char info[1 << 16]; /* far more than a version resource takes */
    void *value, *translation;
    UINT length;
    if (argc < 2 || !GetFileVersionInfoA(argv[1], 0, sizeof info, info) ||
        !VerQueryValueA(info, "\\VarFileInfo\\Translation", &translation, &length))
        return 2;
    for (int i = 2; i < argc; i++) {
        char path[200];
        snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", ((WORD *)translation)[0],
                 ((WORD *)translation)[1], argv[i]);
        if (VerQueryValueA(info, path, &value, &length)) printf("%s=%s\n", argv[i], (char *)value);
    }
    return 0;
}
