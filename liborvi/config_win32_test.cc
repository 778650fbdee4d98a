// The registry store against Wine's registry, in a private key under
// HKEY_CURRENT_USER; what orvilib prints of each value type is tested end to
// end, here the records.
#include "config_win32.h"

#include <gtest/gtest.h>

namespace {

const char KeyPath[] = "Software\\OrviConfigTest";

TEST(ReadConfigValues, RecordsInOrderOnTheLocalHeapTerminatedAndAMissingKeysCause) {
    HKEY key;
    RegDeleteTreeA(HKEY_CURRENT_USER, KeyPath);
    ASSERT_EQ(0, RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 &key, nullptr));
    // The longest data has no terminator of its own.
    RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE *>("\x05\x01\0"), 4);
    RegSetValueExA(key, "Raw", 0, REG_BINARY, reinterpret_cast<const BYTE *>("0123456789"), 10);
    ConfigValueList list = nullptr;
    ASSERT_EQ(0, readConfigValues(HKEY_CURRENT_USER, KeyPath, &list));
    DWORD index = 0;
    for (ConfigValue *v = list; v != nullptr; v = v->next, index++) {
        char name[16];
        DWORD size = sizeof name;
        RegEnumValueA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        EXPECT_STREQ(name, v->name); // in the registry's order
        EXPECT_STREQ(v->type == REG_DWORD ? "\x05\x01" : "0123456789", v->data);
        // Blocks of the local heap, the data's with room for a terminator.
        EXPECT_TRUE(LocalSize(v) >= sizeof *v && LocalSize(v->name) > strlen(v->name) &&
                    LocalSize(v->data) > 10);
    }
    EXPECT_EQ(2u, index);
    freeConfigValues(list);
    RegCloseKey(key);
    RegDeleteTreeA(HKEY_CURRENT_USER, KeyPath);
    EXPECT_EQ(-1, readConfigValues(HKEY_CURRENT_USER, KeyPath, &list));
    EXPECT_EQ(nullptr, list);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

} // namespace
