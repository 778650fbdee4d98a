// The registry configuration store and the Error Report boxes. A key is read
// whole into a list on the local heap; its cause of failure travels as the
// thread's last error, so callers read GetLastError() right after a call.
#include "config_win32.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char ErrorCaption[] = "Error Report";

// Zero-filled local-heap block; null when the heap is exhausted.
void *zeroedLocal(size_t size) {
    return LocalAlloc(LMEM_ZEROINIT, size);
}

void releaseLocal(void *block) {
    if (block != nullptr) LocalFree(block);
}

// Appends one record holding name and data (the record takes both buffers).
// Returns 0, or -1 when no record can be allocated.
int appendConfigValue(ConfigValue **tail, ConfigValueList *head, char *name, char *data,
                      DWORD type) {
    ConfigValue *record = static_cast<ConfigValue *>(zeroedLocal(sizeof(ConfigValue)));
    if (record == nullptr) return -1;
    record->name = name;
    record->data = data;
    record->type = type;
    record->next = nullptr;
    if (*tail == nullptr)
        *head = record;
    else
        (*tail)->next = record;
    *tail = record;
    return 0;
}

// Enumerates every value of an open key into *out. Returns the status that
// ended the enumeration: ERROR_NO_MORE_ITEMS when all values were read.
LONG enumerateValues(HKEY key, DWORD longestName, DWORD longestData, ConfigValueList *out) {
    // Every count passed is one less than its zero-filled buffer, so a value
    // stored without a terminator (or raw bytes) still ends in a zero byte.
    DWORD nameSize = longestName + 1;
    DWORD dataSize = longestData + 1;
    ConfigValue *tail = nullptr;
    for (DWORD index = 0;; index++) {
        char *name = static_cast<char *>(zeroedLocal(static_cast<size_t>(nameSize) + 1));
        char *data = static_cast<char *>(zeroedLocal(static_cast<size_t>(dataSize) + 1));
        if (name == nullptr || data == nullptr) {
            releaseLocal(name);
            releaseLocal(data);
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        DWORD nameCount = nameSize;
        DWORD dataCount = dataSize;
        DWORD type = 0;
        LONG status = RegEnumValueA(key, index, name, &nameCount, nullptr, &type,
                                    reinterpret_cast<BYTE *>(data), &dataCount);
        if (status == ERROR_SUCCESS && appendConfigValue(&tail, out, name, data, type) != 0)
            status = ERROR_NOT_ENOUGH_MEMORY;
        if (status != ERROR_SUCCESS) {
            releaseLocal(name);
            releaseLocal(data);
            return status;
        }
    }
}

ConfigValue *findRecord(ConfigValueList list, const char *name) {
    // Byte for byte, although the registry itself ignores case in names.
    for (; list != nullptr; list = list->next)
        if (strcmp(list->name, name) == 0) return list;
    return nullptr;
}

} // namespace

int readConfigValues(HKEY root, const char *path, ConfigValueList *out) {
    *out = nullptr;
    HKEY key;
    LONG status = RegOpenKeyExA(root, path, 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(status));
        return -1;
    }
    DWORD longestName = 0;
    DWORD longestData = 0;
    status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              &longestName, &longestData, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        RegCloseKey(key);
        SetLastError(static_cast<DWORD>(status));
        return -1;
    }
    status = enumerateValues(key, longestName, longestData, out);
    RegCloseKey(key);
    if (status == ERROR_NO_MORE_ITEMS) return 0;

    freeConfigValues(*out);
    *out = nullptr;
    SetLastError(static_cast<DWORD>(status));
    return -1;
}

void freeConfigValues(ConfigValueList list) {
    while (list != nullptr) {
        ConfigValue *next = list->next;
        releaseLocal(list->name);
        releaseLocal(list->data);
        releaseLocal(list);
        list = next;
    }
}

void printConfigValues(ConfigValueList list) {
    for (; list != nullptr; list = list->next)
        printf("%s=%s\n", list->name, list->data);
}

int findConfigValue(ConfigValueList list, const char *name, char **out) {
    ConfigValue *record = findRecord(list, name);
    if (record == nullptr) return -1;
    *out = record->data;
    return 0;
}

int makeEnvEntry(ConfigValueList list, const char *name, char **out) {
    ConfigValue *record = findRecord(list, name);
    // An empty value would set nothing in an environment: treat it as absent.
    if (record == nullptr || record->data[0] == '\0') return -1;
    size_t nameLength = strlen(name);
    size_t dataLength = strlen(record->data);
    char *entry = static_cast<char *>(malloc(nameLength + dataLength + 2));
    if (entry == nullptr) return -1;
    memcpy(entry, name, nameLength);
    entry[nameLength] = '=';
    memcpy(entry + nameLength + 1, record->data, dataLength + 1);
    *out = entry;
    return 0;
}

char *systemErrorText(DWORD code) {
    char *systemText = nullptr;
    // Inserts are left as written: with no arguments to fill them, a text such
    // as "%1 is not a valid Win32 application." would otherwise make the call
    // read arguments that do not exist.
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPSTR>(&systemText), 0, nullptr);
    if (length == 0 && systemText != nullptr) {
        LocalFree(systemText);
        systemText = nullptr;
    }
    return systemText;
}

void reportSystemError(const char *message, DWORD code) {
    char *systemText = systemErrorText(code);
    if (systemText == nullptr) return;
    size_t size = strlen(message) + strlen(systemText) + 32;
    char *composed = static_cast<char *>(zeroedLocal(size));
    if (composed != nullptr) snprintf(composed, size, "%s\n%s", message, systemText);
    // Without memory for the composed text the system's text still tells why.
    MessageBoxA(nullptr, composed != nullptr ? composed : systemText, ErrorCaption, MB_ICONERROR);
    releaseLocal(composed);
    LocalFree(systemText);
}

int errorBox(const char *message) {
    return MessageBoxA(nullptr, message, ErrorCaption, MB_ICONERROR);
}
