// The registry store against Wine's real registry, in a private key under
// HKEY_CURRENT_USER, away from the suite's configuration key that other tests
// of the run set up. What orvilib prints of each value, and the exact name
// matching of the lookups, are tested end to end; here the records.
#include "orviconf.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

const char path[] = "Software\\OrviConfigTest";

TEST(ReadConfigValues, RecordsInEnumerationOrderOnTheLocalHeapAndAMissingKeyItsCause) {
    HKEY key;
    RegDeleteTreeA(HKEY_CURRENT_USER, path);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    ConfigValueList list = (ConfigValueList)1; // must be overwritten
    ASSERT_EQ(0, readConfigValues(HKEY_CURRENT_USER, path, &list));
    EXPECT_EQ(nullptr, list);

    // Stored without terminators; a number reads as its raw bytes.
    DWORD number = 0x00000105;
    RegSetValueExA(key, "Number", 0, REG_DWORD, (const BYTE *)&number, sizeof number);
    RegSetValueExA(key, "Expand", 0, REG_EXPAND_SZ, (const BYTE *)"%TEMP%\\orvi", 12);
    for (int i = 0; i < 300; i++)
        RegSetValueExA(key, ("V" + std::to_string((i * 37) % 300)).c_str(), 0, REG_BINARY,
                       (const BYTE *)"\xC8xyz", 4);
    ASSERT_EQ(0, readConfigValues(HKEY_CURRENT_USER, path, &list));
    std::string seen;
    DWORD index = 0;
    for (ConfigValue *v = list; v != nullptr; v = v->next, index++) {
        char name[64];
        DWORD size = sizeof name;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegEnumValueA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr));
        EXPECT_STREQ(name, v->name);
        seen += std::string(v->data) + ":" + std::to_string(v->type) + " ";
        // Records, names and data are blocks of the local heap, each data
        // block with room for the longest value and a terminator.
        EXPECT_GE(LocalSize((HLOCAL)v), sizeof(ConfigValue));
        EXPECT_GT(LocalSize((HLOCAL)v->name), strlen(v->name));
        EXPECT_GE(LocalSize((HLOCAL)v->data), 13u);
    }
    EXPECT_EQ(302u, index);
    for (const char *record : {"\x05\x01:4 ", "%TEMP%\\orvi:2 ", "\xC8xyz:3 "})
        EXPECT_NE(seen.find(record), std::string::npos) << record;
    freeConfigValues(list);
    RegCloseKey(key);
    RegDeleteTreeA(HKEY_CURRENT_USER, path);

    list = (ConfigValueList)1; // must be cleared
    SetLastError(0);
    EXPECT_EQ(-1, readConfigValues(HKEY_CURRENT_USER, path, &list));
    EXPECT_EQ(nullptr, list);
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
}

} // namespace
