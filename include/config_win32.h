// orviconf.h: the suite's registry configuration, the Error Report boxes and
// the library-directory services. Windows only.
#ifndef ORVI_ORVICONF_H
#define ORVI_ORVICONF_H

#include <windows.h>

#include "usefull.h"

// One value of a registry key. Records, names and data come from the local
// heap (LocalAlloc); data is always zero-terminated whatever the value type.
struct ConfigValue {
    char *name;
    char *data;
    uint32_t type;
    ConfigValue *next;
};
typedef ConfigValue *ConfigValueList;

// Reads every value of root\path in enumeration order. Returns 0 (a key with
// no values gives a null list), or -1 with the cause as the thread's last error
// (the registry's status, or ERROR_NOT_ENOUGH_MEMORY) and *out null.
int readConfigValues(HKEY root, const char *path, ConfigValueList *out);
void freeConfigValues(ConfigValueList list);
void printConfigValues(ConfigValueList list);
// Exact, case-sensitive name; *out points into the list.
int findConfigValue(ConfigValueList list, const char *name, char **out);
// "name=data" in a new malloc'd string; -1 (*out untouched) when absent, when
// the data is empty or when memory runs out.
int makeEnvEntry(ConfigValueList list, const char *name, char **out);

// The system's text for an error code, with inserts such as %1 left as
// written; null when the system has none. The caller frees it with LocalFree.
char *systemErrorText(DWORD code);
// The "Error Report" box with message, a line feed and the system's text for
// code; shows nothing when the system has no text for the code.
void reportSystemError(const char *message, DWORD code);
// The "Error Report" box with a message; returns the box's result.
int errorBox(const char *message);

// The ORVILIB value of the configuration key. Ends the process with a message
// on standard error and status 1 when it cannot be read.
char *libraryDirectory(void);

// Paths inside the library directory, in one process-wide 1024-byte buffer:
// the short directory, or with a name the directory, a backslash and the name.
// The directory is read once; an empty ORVILIB gives "orvilib". A path that
// would not fit ends the process with a message and status 1. The OrExit form
// ends the process silently with status 1 when ORVILIB is empty.
char *libraryPath(const char *name);
char *libraryPathOrExit(const char *name);

// The process environment first, then the ORVI_ values of the configuration
// key. Never null: "" when neither has the name.
char *configGetenv(const char *name);
// Fills the table behind configGetenv once per process: "NAME=data" entries
// ended by a null slot. A failure shows its box and is not retried.
void loadConfigEnvironment(void);

#endif
