// The registry store against Wine's real registry, in a private key under
// HKEY_CURRENT_USER, away from the suite's configuration key that other tests
// of the run set up. What orvilib prints of each value type, and the exact
// name matching of the lookups, are tested end to end; here the records.
#include "orviconf.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>

namespace {

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = std::string("Software\\OrviConfigTest\\") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
    }
    void TearDown() override {
        freeConfigValues(list);
        RegCloseKey(key);
        RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    }
    void set(const char *name, DWORD type, const void *data, size_t size) {
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key, name, 0, type, (const BYTE *)data, (DWORD)size));
    }

    std::string path;
    HKEY key = nullptr;
    ConfigValueList list = nullptr;
};

TEST_F(RegistryTest, ValuesStoredWithoutTerminatorReadAsTerminatedTextInEnumerationOrder) {
    DWORD number = 0x00000105;
    set("Number", REG_DWORD, &number, sizeof number);
    set("Text\xE9", REG_SZ, "abc", 3);
    set("Expand", REG_EXPAND_SZ, "%TEMP%\\orvi", 12);
    set("Raw", REG_BINARY, "\xC8xyz", 4);
    set("Empty", REG_SZ, "", 0);
    for (int i = 0; i < 300; i++)
        set(("V" + std::to_string((i * 37) % 300)).c_str(), REG_SZ, "many", 4);
    ASSERT_EQ(0, readConfigValues(HKEY_CURRENT_USER, path.c_str(), &list));

    std::map<std::string, std::string> typed; // name: data and type
    DWORD index = 0;
    for (ConfigValue *v = list; v != nullptr; v = v->next, index++) {
        char name[64];
        DWORD size = sizeof name;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegEnumValueA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr));
        EXPECT_STREQ(name, v->name);
        if (v->name[0] == 'V')
            EXPECT_STREQ(v->data, "many");
        else
            typed[v->name] = std::string(v->data) + ":" + std::to_string(v->type);
        // Records, names and data are blocks of the local heap, each data
        // block with room for the longest value and a terminator.
        EXPECT_GE(LocalSize((HLOCAL)v), sizeof(ConfigValue));
        EXPECT_GT(LocalSize((HLOCAL)v->name), strlen(v->name));
        EXPECT_GE(LocalSize((HLOCAL)v->data), 13u);
    }
    EXPECT_EQ(305u, index);
    // Data is not expanded; a number reads as its raw bytes up to the first zero.
    EXPECT_EQ(typed, (std::map<std::string, std::string>{{"Number", "\x05\x01:4"},
                                                         {"Text\xE9", "abc:1"},
                                                         {"Expand", "%TEMP%\\orvi:2"},
                                                         {"Raw", "\xC8xyz:3"},
                                                         {"Empty", ":1"}}));
}

TEST_F(RegistryTest, EmptyKeyGivesAnEmptyListAndUnreadableKeysTheirCause) {
    list = (ConfigValueList)1; // must be overwritten
    ASSERT_EQ(0, readConfigValues(HKEY_CURRENT_USER, path.c_str(), &list));
    EXPECT_EQ(nullptr, list);

    // A missing key, and a path far over the registry's limit.
    std::string longPath = path;
    while (longPath.size() < 40000)
        longPath += "\\part";
    for (const std::string &name : {path + "\\Missing", longPath}) {
        list = (ConfigValueList)1; // must be cleared
        SetLastError(0);
        EXPECT_EQ(-1, readConfigValues(HKEY_CURRENT_USER, name.c_str(), &list));
        EXPECT_EQ(nullptr, list);
        EXPECT_TRUE(name == longPath ? GetLastError() != 0
                                     : GetLastError() == ERROR_FILE_NOT_FOUND);
    }
}

} // namespace
