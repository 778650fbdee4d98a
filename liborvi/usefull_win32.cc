// Windows services of the module usefull: the suite's library directory, paths
// of files inside it, and an environment lookup that falls back on the ORVI_
// values of the configuration key.
#include "config_win32.h"
#include "usefull_win32.h"
#include "version.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

char *libraryDirectory() {
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

// ---- Paths inside the library directory ----------------------------------

namespace {

const int PathBufferSize = 1024;
char libraryPathBuffer[PathBufferSize];
int libraryDirectoryLength;
int libraryDirectoryFromRegistry;

// A path that would not fit the buffer ends the process rather than being cut
// short or written past the buffer's end.
[[noreturn]] void exitPathTooLong(const char *name) {
    fprintf(stderr, "library path too long: %s\n", name);
    exit(1);
}

// The directory is read once per process and kept in its short form, which
// has no spaces for the command lines it ends up in.
void computeLibraryDirectory() {
    const char *directory = libraryDirectory();
    size_t length = strlen(directory);
    if (length >= static_cast<size_t>(PathBufferSize)) exitPathTooLong(directory);
    memcpy(libraryPathBuffer, directory, length + 1);
    GetShortPathNameA(libraryPathBuffer, libraryPathBuffer, PathBufferSize);
    libraryDirectoryLength = static_cast<int>(strlen(libraryPathBuffer));
    if (libraryDirectoryLength != 0) {
        libraryDirectoryFromRegistry = 1;
        return;
    }
    strcpy(libraryPathBuffer, "orvilib");
    libraryDirectoryLength = static_cast<int>(strlen(libraryPathBuffer));
}

} // namespace

char *libraryPath(const char *name) {
    if (libraryDirectoryLength == 0) computeLibraryDirectory();
    char *end = libraryPathBuffer + libraryDirectoryLength;
    if (!name) {
        *end = '\0';
        return libraryPathBuffer;
    }
    size_t nameLength = strlen(name);
    // The backslash, the name and its NUL after the directory.
    if (nameLength + 2 > static_cast<size_t>(PathBufferSize - libraryDirectoryLength))
        exitPathTooLong(name);
    *end = '\\';
    memcpy(end + 1, name, nameLength + 1);
    return libraryPathBuffer;
}

char *libraryPathOrExit(const char *name) {
    char *path = libraryPath(name);
    if (!libraryDirectoryFromRegistry) exit(1);
    return path;
}

// ---- Environment with the registry behind it -----------------------------

namespace {

// The settings that the installation may record in place of the environment,
// in the order in which the table is filled.
const char *const ConfigEnvironmentNames[] = {
    "ORVI_BLOCKONLY", "ORVI_COMPRESS",  "ORVI_COST", "ORVI_DIR",   "ORVI_SIGNAL",
    "ORVI_TEST",      "ORVI_TEST_FILE", "ORVI_TMP",  "ORVI_TRACE", "ORVI_UMASK",
};
const int ConfigEnvironmentSlots = 16;
static_assert(sizeof ConfigEnvironmentNames / sizeof *ConfigEnvironmentNames <
                  ConfigEnvironmentSlots,
              "the table keeps a slot for its null terminator");

// (char **)-1 until built, null when building failed; read through
// configGetenv.
char **const ConfigEnvironmentUnbuilt = reinterpret_cast<char **>(static_cast<intptr_t>(-1));
char **ConfigEnvironment = ConfigEnvironmentUnbuilt;

// The table from the configuration key, or null after a box saying why.
char **buildConfigEnvironment() {
    char **table = static_cast<char **>(calloc(ConfigEnvironmentSlots, sizeof(char *)));
    if (!table) {
        errorBox("No memory for orvi environment");
        return nullptr;
    }
    char *path = nullptr;
    if (makeKeyPath(configVersion, &path) != 0) {
        errorBox("Bad orvi key");
        free(table);
        return nullptr;
    }
    ConfigValueList list = nullptr;
    if (readConfigValues(HKEY_LOCAL_MACHINE, path, &list) != 0) {
        reportSystemError("Can't get Orvi keylist", GetLastError());
        free(table);
        free(path);
        return nullptr;
    }
    free(path);
    int filled = 0;
    for (const char *name : ConfigEnvironmentNames)
        if (makeEnvEntry(list, name, &table[filled]) == 0) filled++;
    table[filled] = nullptr;
    freeConfigValues(list);
    return table;
}

} // namespace

// Built once per process; a failure shows its box once and is not retried.
void loadConfigEnvironment() {
    if (ConfigEnvironment == ConfigEnvironmentUnbuilt) ConfigEnvironment = buildConfigEnvironment();
}

char *configGetenv(const char *name) {
    static char notSet[] = "";
    char *value = getenv(name);
    if (value) return value;
    loadConfigEnvironment();
    if (!ConfigEnvironment) return notSet;
    size_t length = strlen(name);
    for (char **entry = ConfigEnvironment; *entry; entry++) {
        const char *equals = strchr(*entry, '=');
        if (equals && static_cast<size_t>(equals - *entry) == length &&
            strncmp(*entry, name, length) == 0)
            return const_cast<char *>(equals + 1);
    }
    return notSet;
}
