// The registry store against Wine's real registry. Every test works in a
// private key under HKEY_CURRENT_USER, so nothing here touches the suite's
// own configuration key that other tests of the run set up. What orvilib
// prints of each value type, and the exact name matching of the lookups, are
// tested end to end; here the records.
#include "orviconf.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

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
    void setText(const char *name, const char *text) { set(name, REG_SZ, text, strlen(text) + 1); }
    void read() {
        freeConfigValues(list);
        list = nullptr;
        ASSERT_EQ(0, readConfigValues(HKEY_CURRENT_USER, path.c_str(), &list));
    }
    ConfigValue *record(const char *name) {
        for (ConfigValue *v = list; v != nullptr; v = v->next)
            if (strcmp(v->name, name) == 0) return v;
        ADD_FAILURE() << "no record " << name;
        return nullptr;
    }
    size_t count() {
        size_t n = 0;
        for (ConfigValue *v = list; v != nullptr; v = v->next)
            n++;
        return n;
    }

    std::string path;
    HKEY key = nullptr;
    ConfigValueList list = nullptr;
};

TEST_F(RegistryTest, ValuesStoredWithoutTerminatorReadAsTerminatedText) {
    set("Text\xE9", REG_SZ, "abc", 3);
    set("Expand", REG_EXPAND_SZ, "%TEMP%\\orvi", 12);
    DWORD number = 0x00000105;
    set("Number", REG_DWORD, &number, sizeof number);
    set("Raw", REG_BINARY, "\xC8xyz", 4);
    set("Empty", REG_SZ, "", 0);
    read();

    ASSERT_EQ(5u, count());
    const struct {
        const char *name, *data;
        DWORD type;
    } expected[] = {{"Text\xE9", "abc", REG_SZ},
                    {"Expand", "%TEMP%\\orvi", REG_EXPAND_SZ}, // not expanded
                    {"Number", "\x05\x01", REG_DWORD},         // raw bytes up to the first zero
                    {"Raw", "\xC8xyz", REG_BINARY},
                    {"Empty", "", REG_SZ}};
    for (const auto &e : expected) {
        ConfigValue *v = record(e.name);
        ASSERT_NE(nullptr, v);
        EXPECT_STREQ(e.data, v->data) << e.name;
        EXPECT_EQ((uint32_t)e.type, v->type) << e.name;
    }
    // Records, names and data are blocks of the local heap, each data block
    // with room for the longest value and a terminator.
    for (ConfigValue *v = list; v != nullptr; v = v->next) {
        EXPECT_GE(LocalSize((HLOCAL)v), sizeof(ConfigValue));
        EXPECT_GT(LocalSize((HLOCAL)v->name), strlen(v->name));
        EXPECT_GE(LocalSize((HLOCAL)v->data), 13u);
    }
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
        if (name == longPath) {
            EXPECT_NE(0u, GetLastError());
        } else {
            EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
        }
    }
}

TEST_F(RegistryTest, ManyValuesComeInTheRegistrysEnumerationOrder) {
    for (int i = 0; i < 300; i++) {
        char name[32];
        snprintf(name, sizeof name, "V%03d_%d", (i * 37) % 300, i);
        setText(name, std::string(i % 50, 'a' + i % 26).c_str());
    }
    read();
    ASSERT_EQ(300u, count());
    ConfigValue *v = list;
    for (DWORD index = 0; index < 300; index++, v = v->next) {
        char name[64];
        DWORD size = sizeof name;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegEnumValueA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr));
        ASSERT_STREQ(name, v->name) << "index " << index;
    }
}

} // namespace
