// config_win32.h: the suite's registry configuration store and the Error
// Report boxes (config_win32.cc). Windows only.
#ifndef ORVI_CONFIG_WIN32_H
#define ORVI_CONFIG_WIN32_H

#include <stdint.h>
#include <windows.h>

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

#endif
